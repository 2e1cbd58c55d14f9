#include "mail/mscharset_p.h"

#include "mail/mstext_p.h"

#include <QString>

#include <iconv.h>
#include <optional>

namespace {

// windows-1252 at 0x80..0x9F; the five unassigned bytes keep their C1 code.
constexpr char16_t high1252[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Nothing when iconv does not know the set or cannot read the text in it.
std::optional<QByteArray> convertWithIconv(const QByteArray& text, const QByteArray& charset)
{
    iconv_t converter = iconv_open("UTF-8", charset.constData());
    if (converter == iconv_t(-1))
        return std::nullopt;
    QByteArray out(text.size() * 4 + 16, Qt::Uninitialized);
    char* in = const_cast<char*>(text.constData());
    size_t inLeft = size_t(text.size());
    char* outPtr = out.data();
    size_t outLeft = size_t(out.size());
    const bool converted = iconv(converter, &in, &inLeft, &outPtr, &outLeft) != size_t(-1)
        && iconv(converter, nullptr, nullptr, &outPtr, &outLeft) != size_t(-1);
    iconv_close(converter);
    if (!converted || inLeft != 0)
        return std::nullopt;
    out.truncate(outPtr - out.constData());
    return out;
}

} // namespace

bool IsUtf8Charset(const QByteArray& charset)
{
    const QByteArray name = charset.trimmed().toLower();
    return name.isEmpty() || name == "utf-8" || name == "utf8" || name == "us-ascii";
}

QByteArray Windows1252ToUtf8(const QByteArray& text)
{
    QString decoded;
    decoded.reserve(text.size());
    for (char c : text) {
        const uchar b = uchar(c);
        decoded.append(b >= 0x80 && b < 0xA0 ? QChar(high1252[b - 0x80]) : QChar(b));
    }
    return decoded.toUtf8();
}

QByteArray ToUtf8(const QByteArray& text, const QByteArray& charset)
{
    if (IsUtf8Charset(charset) && IsValidUtf8(text))
        return text;
    const QByteArray name = charset.trimmed().toLower();
    if (!name.isEmpty()) {
        if (auto converted = convertWithIconv(text, name))
            return *converted;
    }
    return IsValidUtf8(text) ? text : Windows1252ToUtf8(text);
}
