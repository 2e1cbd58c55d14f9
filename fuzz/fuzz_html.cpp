// Any bytes as an HTML body, with and without a declared character set.
#include "mail/text/html_text.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView html(reinterpret_cast<const char*>(data), qsizetype(size));
    HtmlToText(html);
    HtmlToText(html, "windows-1252");
    return 0;
}
