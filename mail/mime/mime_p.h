#pragma once
// What the MIME encoder's and decoder's files share: header values kept on
// one line, extended parameters (RFC 2231) in both directions, the MIME
// version and the transfer encoding of a header block.
#include "mail/mime/mime.h"

#include <QByteArrayView>

// The most of a content field (type, disposition) the decoder reads: far
// more than any mailer writes, so a hostile field of millions of bytes is
// never copied whole.
constexpr qsizetype MaxContentFieldBytes = 64 * 1024;

// The value with every CR and LF made a blank, so it cannot end its field.
QByteArray SingleLine(QByteArrayView value);

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

// The block's Content-Transfer-Encoding; anything unknown is SevenBit.
TransferCoding ReadTransferCoding(const TmsHeaders& headers);

// Runs decode, for which a codec error means attachment data that cannot be
// read: it becomes the parse failure "Error decoding the attachment". Stream
// errors pass as they are.
template <class Decode>
auto DecodingAttachment(Decode decode)
{
    try {
        return decode();
    } catch (const EStreamError&) {
        throw;
    } catch (const Exception&) {
        throw EMessageParserError(QStringLiteral("Error decoding the attachment"));
    }
}
