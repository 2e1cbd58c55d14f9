#include "RtfCodePage.h"

namespace Rtf {

namespace {

// Windows-1252 0x80..0x9F; the rest of the page is Latin-1. Used when the
// Qt build has no converter for the page, so Western text always reads.
const char16_t cp1252High[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
    0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178,
};

QByteArray converterName(int codePage)
{
    switch (codePage) {
    case 437: return "IBM437";
    case 850: return "IBM850";
    case 932: return "Shift_JIS";
    case 936: return "GBK";
    case 949: return "EUC-KR";
    case 950: return "Big5";
    case 10000: return "macintosh";
    case 65001: return "UTF-8";
    default: return "windows-" + QByteArray::number(codePage);
    }
}

} // namespace

int codePageOfCharset(int charset)
{
    switch (charset) {
    case 0: return 1252;
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 255: return 437;
    default: return 0;   // symbol and "default" charsets: use the document's page
    }
}

CodePageDecoder::CodePageDecoder(int codePage)
    : page(codePage)
{
    if (codePage != 1252)
        decoder = QStringDecoder(converterName(codePage).constData());
}

void CodePageDecoder::decode(const QByteArray& bytes, QString& out)
{
    if (decoder.isValid()) {
        out += decoder.decode(bytes);
        return;
    }
    for (char c : bytes) {
        const uchar b = uchar(c);
        out += (b >= 0x80 && b < 0xA0) ? QChar(cp1252High[b - 0x80]) : QChar(b);
    }
}

}
