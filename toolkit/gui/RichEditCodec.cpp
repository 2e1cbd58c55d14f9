#include "RichEditCodec.h"

#include "toolkit/Exception.h"

#include <cerrno>
#include <cstring>
#include <iconv.h>

namespace RichEditCodec {

namespace {

// iconv's name for QString's own units.
constexpr const char* hostUtf16 = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? "UTF-16LE" : "UTF-16BE";

// A byte that does not decode becomes U+10FF00 + byte, a private-use code
// point of the last plane: no character set maps to it, so reading it back
// while encoding gives the original byte, and as a surrogate pair it never
// leaves a lone surrogate in the text. (Text that really holds those code
// points is saved as their bytes; such text is not met in practice.)
constexpr char16_t placeholderHigh = 0xDBFF;
constexpr char16_t placeholderLowBase = 0xDF00;

bool isPlaceholderAt(QStringView text, qsizetype i)
{
    return text[i].unicode() == placeholderHigh && i + 1 < text.size() && text[i + 1].unicode() >= placeholderLowBase;
}

class Converter {
public:
    Converter(const char* to, const char* from) : handle(iconv_open(to, from))
    {
        if (handle == iconv_t(-1))
            throw Exception(QStringLiteral("The character set %1 is not available on this system. "
                                           "Install the system's character set modules and try again.")
                                .arg(QString::fromLatin1(to == hostUtf16 ? from : to)));
    }
    ~Converter() { iconv_close(handle); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts from in into out from outUsed on, growing out as needed;
    // stops at the end of in or at a sequence it cannot convert. Returns
    // whether all of in was converted.
    bool convert(const char*& in, size_t& inLeft, QByteArray& out, qsizetype& outUsed)
    {
        // Each round either converts more or doubles the room: bounded.
        while (inLeft > 0) {
            if (out.size() - outUsed < 16)
                out.resize(out.size() * 2 + 16);
            char* next = out.data() + outUsed;
            size_t outLeft = size_t(out.size() - outUsed);
            char* inNext = const_cast<char*>(in);
            const size_t result = iconv(handle, &inNext, &inLeft, &next, &outLeft);
            in = inNext;
            outUsed = next - out.data();
            if (result != size_t(-1))
                return true;
            if (errno != E2BIG)
                return false;
            out.resize(out.size() * 2 + 16);
        }
        return true;
    }
    void reset() { iconv(handle, nullptr, nullptr, nullptr, nullptr); }

private:
    iconv_t handle;
};

void appendPlaceholder(QByteArray& units, qsizetype& used, unsigned char byte)
{
    if (units.size() - used < 4)
        units.resize(units.size() * 2 + 16);
    const char16_t pair[2] = {placeholderHigh, char16_t(placeholderLowBase + byte)};
    std::memcpy(units.data() + used, pair, sizeof pair);
    used += sizeof pair;
}

} // namespace

Decoded decode(const QByteArray& bytes, const char* charset)
{
    Converter converter(hostUtf16, charset);
    Decoded result;
    QByteArray units(bytes.size() * 2 + 16, Qt::Uninitialized);
    qsizetype used = 0;
    const char* in = bytes.constData();
    size_t inLeft = size_t(bytes.size());
    // Each round ends the input or keeps one byte: bounded by its size.
    while (!converter.convert(in, inLeft, units, used)) {
        appendPlaceholder(units, used, static_cast<unsigned char>(*in));
        ++in;
        --inLeft;
        ++result.keptBytes;
        converter.reset();
    }
    result.text = QString(reinterpret_cast<const QChar*>(units.constData()), used / 2);
    for (qsizetype i = 0; i < result.text.size(); ++i) {
        if (isPlaceholderAt(result.text, i))
            ++i;
        else if (result.text[i].unicode() >= 0x80)
            ++result.nonAsciiChars;
    }
    return result;
}

std::optional<QByteArray> encode(QStringView text, const char* charset)
{
    Converter converter(charset, hostUtf16);
    QByteArray bytes(text.size() * 2 + 16, Qt::Uninitialized);
    qsizetype used = 0;
    qsizetype runStart = 0;
    // Runs of characters are converted in blocks; placeholders between them
    // become their bytes again.
    const auto convertRun = [&](qsizetype end) {
        const char* in = reinterpret_cast<const char*>(text.data() + runStart);
        size_t inLeft = size_t(end - runStart) * 2;
        return converter.convert(in, inLeft, bytes, used);
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isPlaceholderAt(text, i))
            continue;
        if (!convertRun(i))
            return std::nullopt;
        if (bytes.size() - used < 1)
            bytes.resize(bytes.size() * 2 + 16);
        bytes[used++] = char(text[i + 1].unicode() - placeholderLowBase);
        runStart = ++i + 1;
    }
    if (!convertRun(text.size()))
        return std::nullopt;
    bytes.truncate(used);
    return bytes;
}

}
