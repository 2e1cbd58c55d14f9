#pragma once
// What the encoder's files share: how a part is coded, and the lines that
// say so.
#include "mail/mime/mime.h"

#include <QByteArray>

// The part's own coding where its data can stand in it there, else one
// that carries every byte.
PartCoding CodingOf(const TmsAttItem& item, PartEnd end);

// "Content-Transfer-Encoding: " and the RFC's token for the coding.
QByteArray TransferEncodingLine(PartCoding coding);

// "; charset=" and the set a stored content type names; empty for none.
QByteArray CharsetParameter(const QByteArray& contentType);
