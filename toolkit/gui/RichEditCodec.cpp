#include "RichEditCodec.h"

#include "toolkit/Exception.h"

#include <cerrno>
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

// The output of a conversion as bytes: a QByteArray, or a QString that is
// filled in place so a large text is never copied.
char* bytesOf(QByteArray& buffer)
{
    return buffer.data();
}
char* bytesOf(QString& buffer)
{
    return reinterpret_cast<char*>(buffer.data());
}
qsizetype byteSizeOf(const QByteArray& buffer)
{
    return buffer.size();
}
qsizetype byteSizeOf(const QString& buffer)
{
    return buffer.size() * qsizetype(sizeof(QChar));
}
template <class Buffer>
void grow(Buffer& buffer)
{
    buffer.resize(buffer.size() * 2 + 16);
}

class Converter {
public:
    // charset: the one of to and from that is not QString's own.
    Converter(const char* to, const char* from, const char* charset) : handle(iconv_open(to, from))
    {
        if (handle == iconv_t(-1))
            throw Exception(QStringLiteral("The character set %1 is not available on this system. "
                                           "Install the system's character set modules and try again.")
                                .arg(QString::fromLatin1(charset)));
    }
    ~Converter() { iconv_close(handle); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts from in into out from outUsed on, growing out as needed;
    // stops at the end of in or at a sequence it cannot convert. Returns
    // whether all of in was converted.
    // outUsed counts bytes.
    template <class Buffer>
    bool convert(const char*& in, size_t& inLeft, Buffer& out, qsizetype& outUsed)
    {
        // Each round either converts more or doubles the room: bounded.
        while (inLeft > 0) {
            if (byteSizeOf(out) - outUsed < 16)
                grow(out);
            char* next = bytesOf(out) + outUsed;
            size_t outLeft = size_t(byteSizeOf(out) - outUsed);
            char* inNext = const_cast<char*>(in);
            const size_t result = iconv(handle, &inNext, &inLeft, &next, &outLeft);
            in = inNext;
            outUsed = next - bytesOf(out);
            if (result != size_t(-1))
                return true;
            if (errno != E2BIG)
                return false;
            grow(out);
        }
        return true;
    }
    void reset() { iconv(handle, nullptr, nullptr, nullptr, nullptr); }

private:
    iconv_t handle;
};

void appendPlaceholder(QString& text, qsizetype& usedBytes, unsigned char byte)
{
    if (byteSizeOf(text) - usedBytes < 4)
        grow(text);
    QChar* next = text.data() + usedBytes / 2;
    next[0] = QChar(placeholderHigh);
    next[1] = QChar(char16_t(placeholderLowBase + byte));
    usedBytes += 4;
}

} // namespace

Decoded decode(QByteArrayView bytes, const char* charset)
{
    Converter converter(hostUtf16, charset, charset);
    Decoded result;
    QString& text = result.text;
    text.resize(bytes.size() + 16); // one unit per byte holds every charset offered, mostly
    qsizetype used = 0;
    const char* in = bytes.data();
    size_t inLeft = size_t(bytes.size());
    // Each round ends the input or keeps one byte: bounded by its size.
    while (!converter.convert(in, inLeft, text, used)) {
        appendPlaceholder(text, used, static_cast<unsigned char>(*in));
        ++in;
        --inLeft;
        ++result.keptBytes;
        converter.reset();
    }
    text.truncate(used / 2);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (isPlaceholderAt(text, i))
            ++i;
        else if (text[i].unicode() >= 0x80)
            ++result.nonAsciiChars;
    }
    return result;
}

std::optional<QByteArray> encode(QStringView text, const char* charset)
{
    Converter converter(charset, hostUtf16, charset);
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
