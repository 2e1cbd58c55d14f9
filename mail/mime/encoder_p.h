#pragma once
// What the encoder's files share: the lines that say how a part is coded.
#include "mail/model/message_items.h"

#include <QByteArray>

// "Content-Transfer-Encoding: " and the RFC's token for the encoding.
QByteArray TransferEncodingLine(TAttEncoding encoding);

// "; charset=" and the set a stored content type names; empty for none.
QByteArray CharsetParameter(const QByteArray& contentType);
