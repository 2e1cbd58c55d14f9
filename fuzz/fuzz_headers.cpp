// Any bytes as a header value: encoded words, addresses and address lists,
// parameters (RFC 2231 and RFC 2047 ones), MIME types and versions, and the
// safe file names made from what a parameter gives.
#include "mail/mime/mime_p.h"
#include "mail/model/attachment_names_p.h"
#include "mail/headers/header_fields.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray value(reinterpret_cast<const char*>(data), qsizetype(size));
    DecodeEncodedWords(value);
    TmsMailAddress address;
    ParseMailAddress(value, address);
    TmsAddressList list;
    ParseAddressList(value, list);
    GetHeaderParameter("boundary", value);
    SafeFileName(MimeParameter("filename", value), 1);
    MimeParameter("name", value);
    ExtractMimeType(value);
    IsMimeVersion10(value);
    return 0;
}
