#include "RichEditEncoding.h"

#include "toolkit/rtf/RtfCodePage.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <array>
#include <cstring>

namespace RichEditEncoding {

namespace {

const QByteArray utf8Bom = QByteArrayLiteral("\xEF\xBB\xBF");

// Windows-1252 differs from Latin-1 only in 0x80..0x9F; the RTF reader's
// table of that range is the one home of it.
const std::array<char16_t, 32>& windows1252High()
{
    static const std::array<char16_t, 32> high = [] {
        QByteArray bytes(32, Qt::Uninitialized);
        for (int i = 0; i < 32; ++i)
            bytes[i] = char(0x80 + i);
        QString text;
        Rtf::CodePageDecoder(1252).decode(bytes, text);
        std::array<char16_t, 32> table{};
        for (int i = 0; i < 32; ++i)
            table[i] = text[i] == QChar::ReplacementCharacter ? 0 : text[i].unicode();
        return table;
    }();
    return high;
}

// The byte of c in Windows-1252, or -1 when it has none.
int windows1252Byte(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return u;
    const auto& high = windows1252High();
    const auto found = std::find(high.begin(), high.end(), u);
    return found == high.end() ? -1 : int(0x80 + (found - high.begin()));
}

QByteArray toWindows1252(QStringView text)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    char* out = bytes.data();
    for (QChar c : text) {
        const int b = windows1252Byte(c);
        *out++ = char(b < 0 ? '?' : b);
    }
    return bytes;
}

QByteArray toUtf16(QStringView text, QStringConverter::Encoding encoding)
{
    QStringEncoder encoder(encoding, QStringConverter::Flag::WriteBom);
    return encoder.encode(text);
}

std::optional<std::pair<QString, TTextEncoding>> decodeCharacters(const QByteArray& bytes)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(QStringDecoder::Utf16); // reads and drops the mark
        const TTextEncoding encoding = bytes[0] == '\xFF' ? TTextEncoding::Utf16LE : TTextEncoding::Utf16BE;
        return std::pair{QString(utf16.decode(bytes)), encoding};
    }
    if (std::memchr(bytes.constData(), 0, size_t(bytes.size())))
        return std::nullopt;
    QStringDecoder utf8(QStringDecoder::Utf8); // drops a mark
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return std::pair{text, bytes.startsWith(utf8Bom) ? TTextEncoding::Utf8Bom : TTextEncoding::Utf8};
    text.clear();
    Rtf::CodePageDecoder(1252).decode(bytes, text);
    return std::pair{text, TTextEncoding::Windows1252};
}

} // namespace

std::optional<Decoded> decode(const QByteArray& bytes)
{
    auto characters = decodeCharacters(bytes);
    if (!characters)
        return std::nullopt;
    Decoded result{std::move(characters->first), {characters->second}};
    QString& text = result.text;
    const qsizetype firstEnd = text.indexOf(u'\n');
    result.format.crlf = firstEnd > 0 && text[firstEnd - 1] == u'\r';
    result.format.finalLineEnd = text.endsWith(u'\n');
    if (result.format.finalLineEnd) {
        text.chop(1);
        if (text.endsWith(u'\r'))
            text.chop(1);
    }
    return result;
}

bool fits(QStringView text, TTextEncoding encoding)
{
    if (encoding != TTextEncoding::Windows1252)
        return true;
    return std::all_of(text.begin(), text.end(), [](QChar c) { return windows1252Byte(c) >= 0; });
}

QByteArray encode(QString text, const TTextFileFormat& format)
{
    if (format.finalLineEnd)
        text += u'\n';
    if (format.crlf)
        text.replace(u'\n', QLatin1String("\r\n"));
    switch (format.encoding) {
    case TTextEncoding::Utf8: return text.toUtf8();
    case TTextEncoding::Utf8Bom: return utf8Bom + text.toUtf8();
    case TTextEncoding::Utf16LE: return toUtf16(text, QStringConverter::Utf16LE);
    case TTextEncoding::Utf16BE: return toUtf16(text, QStringConverter::Utf16BE);
    case TTextEncoding::Windows1252: return toWindows1252(text);
    }
    return text.toUtf8();
}

}
