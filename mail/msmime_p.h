#pragma once
// Text rules the MIME encoder and decoder share: header values kept on one
// 7-bit line, encoded words and extended parameters, the MIME version.
#include "mail/msqp.h"
#include "toolkit/StringList.h"

#include <QByteArrayView>

// The value with every CR and LF made a blank, so it cannot end its field.
QByteArray SingleLine(QByteArrayView value);

// Text that cannot stand in a header as it is: bytes of 128 or more, control
// bytes, or "=?" (which a reader would take for an encoded word).
bool NeedsEncodedWords(QByteArrayView text);

// UTF-8 text as "=?utf-8?Q?...?=" words, each holding whole characters,
// joined by a fold (CR LF and a blank) so no line passes 76 characters;
// used is the width of the line before the first word.
QByteArray EncodeWords(QByteArrayView text, qsizetype used = 0);

// "; name=" and the quoted value, or for a value that cannot be quoted as it
// is, the extended form of RFC 2231 in UTF-8 (split into folded sections
// when long).
QByteArray ParameterText(QByteArrayView name, const QByteArray& value);

// The named parameter of a header value in UTF-8: the extended forms of
// RFC 2231 (sections and character sets) first, else the plain value with
// any encoded words decoded.
QByteArray MimeParameter(const QByteArray& name, const QByteArray& headerValue);

// "1.0", also when comments and blanks surround or divide it.
bool IsMimeVersion10(QByteArrayView value);

// The value's bytes of 128 or more, if any.
bool HasEightBit(QByteArrayView text);

// Quoted-printable lines of the bytes, each handed to sink. Where they end the
// message text, the text's own last line break stands for the data's: a final
// empty line goes, and data without a final line break ends in a soft break.
void WriteQuotedPrintable(const QByteArray& bytes, bool endsText, const QPLineSink& sink);
