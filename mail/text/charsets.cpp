#include "mail/text/charsets_p.h"

#include "mail/text/text_utils_p.h"

#include <cerrno>
#include <optional>

namespace {

// windows-1252 at 0x80..0x9F; the five unassigned bytes keep their C1 code.
constexpr char16_t high1252[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                   0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                   0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                   0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr char replacement[] = "\xEF\xBF\xBD"; // U+FFFD

char16_t windows1252(uchar b)
{
    return b >= 0x80 && b < 0xA0 ? high1252[b - 0x80] : b;
}

qsizetype utf8Length(char16_t c)
{
    return c < 0x80 ? 1 : c < 0x800 ? 2 : 3;
}

char* writeUtf8(char* out, char16_t c)
{
    if (c < 0x80) {
        *out++ = char(c);
    } else if (c < 0x800) {
        *out++ = char(0xC0 | c >> 6);
        *out++ = char(0x80 | (c & 0x3F));
    } else {
        *out++ = char(0xE0 | c >> 12);
        *out++ = char(0x80 | (c >> 6 & 0x3F));
        *out++ = char(0x80 | (c & 0x3F));
    }
    return out;
}

// The text with every byte that begins no well-formed sequence made U+FFFD.
QByteArray replaceInvalidUtf8(QByteArrayView text)
{
    const uchar* s = reinterpret_cast<const uchar*>(text.data());
    const uchar* const end = s + text.size();
    QByteArray out;
    out.reserve(text.size() + 16);
    while (s < end) {
        const qsizetype n = Utf8SequenceLength(s, end);
        if (n > 0)
            out.append(reinterpret_cast<const char*>(s), n);
        else
            out.append(replacement, 3);
        s += n > 0 ? n : 1;
    }
    return out;
}

// Sets whose text may hold ASCII bytes that stand for something else, or
// that are no bytes of ASCII at all.
bool asciiCompatible(const QByteArray& name)
{
    for (const char* prefix : {"utf-16", "utf16", "utf-32", "utf32", "ucs", "utf-7", "utf7", "iso-2022", "hz"})
        if (name.startsWith(prefix))
            return false;
    return true;
}

// Nothing when the converter cannot read the text. The output grows as it
// is needed, so a long text never takes more than its result and a margin.
std::optional<QByteArray> convertWith(iconv_t converter, QByteArrayView text)
{
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    qsizetype eightBit = 0;
    for (char c : text)
        eightBit += uchar(c) >> 7;
    QByteArray out(text.size() + 2 * eightBit + 16, Qt::Uninitialized); // room for most sets' text
    char* in = const_cast<char*>(text.data());
    size_t inLeft = size_t(text.size());
    size_t done = 0;
    for (bool flushed = false; !flushed;) {
        char* outPtr = out.data() + done;
        size_t outLeft = size_t(out.size()) - done;
        const bool flushing = inLeft == 0;
        const size_t result = flushing ? iconv(converter, nullptr, nullptr, &outPtr, &outLeft)
                                       : iconv(converter, &in, &inLeft, &outPtr, &outLeft);
        done = size_t(outPtr - out.constData());
        if (result != size_t(-1))
            flushed = flushing;
        else if (errno == E2BIG)
            out.resize(out.size() + std::max<qsizetype>(qsizetype(inLeft) * 2, 64));
        else
            return std::nullopt;
    }
    out.truncate(qsizetype(done));
    out.squeeze(); // a body keeps its lines: no slack left in them
    return out;
}

QByteArray guessed(QByteArray text)
{
    return IsValidUtf8(text) ? text : Windows1252ToUtf8(text);
}

} // namespace

bool IsUtf8Charset(const QByteArray& charset)
{
    const QByteArray name = charset.trimmed().toLower();
    return name.isEmpty() || name == "utf-8" || name == "utf8" || name == "us-ascii";
}

QByteArray Windows1252ToUtf8(QByteArrayView text)
{
    qsizetype size = 0;
    for (char c : text)
        size += utf8Length(windows1252(uchar(c)));
    QByteArray out(size, Qt::Uninitialized);
    char* p = out.data();
    for (char c : text)
        p = writeUtf8(p, windows1252(uchar(c)));
    return out;
}

QByteArray ToUtf8(const QByteArray& text, const QByteArray& charset)
{
    if (IsUtf8Charset(charset) && IsValidUtf8(text))
        return text;
    const QByteArray name = charset.trimmed().toLower();
    if (!name.isEmpty()) {
        if (const iconv_t converter = iconv_open("UTF-8", name.constData()); converter != iconv_t(-1)) {
            const std::optional<QByteArray> converted = convertWith(converter, text);
            iconv_close(converter);
            if (converted)
                return *converted;
        }
    }
    return guessed(text);
}

TCharsetLines::TCharsetLines(const QByteArray& charset)
{
    const QByteArray name = charset.trimmed().toLower();
    declaredUtf8 = name == "utf-8" || name == "utf8";
    asciiCompatible = ::asciiCompatible(name);
    if (!IsUtf8Charset(name))
        converter = iconv_open("UTF-8", name.constData());
}

TCharsetLines::~TCharsetLines()
{
    if (converter != iconv_t(-1))
        iconv_close(converter);
}

QByteArray TCharsetLines::Convert(QByteArrayView line)
{
    if (asciiCompatible && !HasEightBit(line)) // most lines, in most mail
        return line.toByteArray();
    if (converter == iconv_t(-1)) {
        if (IsValidUtf8(line))
            return line.toByteArray();
        return declaredUtf8 ? replaceInvalidUtf8(line) : Windows1252ToUtf8(line);
    }
    if (std::optional<QByteArray> converted = convertWith(converter, line))
        return *std::move(converted);
    return IsValidUtf8(line) ? line.toByteArray() : Windows1252ToUtf8(line);
}

QByteArray ToUtf8ByLines(QByteArrayView text, const QByteArray& charset)
{
    if (!asciiCompatible(charset.trimmed().toLower())) // its line ends are no single bytes
        return ToUtf8(text.toByteArray(), charset);
    TCharsetLines converter(charset);
    QByteArray out;
    out.reserve(text.size() + text.size() / 8);
    while (!text.isEmpty()) {
        const qsizetype lineEnd = text.indexOf('\n');
        const qsizetype length = lineEnd < 0 ? text.size() : lineEnd + 1;
        out += converter.Convert(text.first(length));
        text = text.sliced(length);
    }
    return out;
}
