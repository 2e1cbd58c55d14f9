#include "RichEditEncoding.h"

#include "RichEditCodec.h"

#include <uchardet/uchardet.h>

#include <array>
#include <cstring>

namespace RichEditEncoding {

namespace {

const QByteArray utf8Bom = QByteArrayLiteral("\xEF\xBB\xBF");
const QByteArray utf16LEBom = QByteArrayLiteral("\xFF\xFE");
const QByteArray utf16BEBom = QByteArrayLiteral("\xFE\xFF");

struct Charset {
    TTextEncoding encoding;
    const char* shownName;
    const char* iconvName; // Windows' variants where files mostly come from Windows
};

constexpr std::array<Charset, 14> charsets{{
    {TTextEncoding::Utf8, "UTF-8", "UTF-8"},
    {TTextEncoding::Utf8Bom, "UTF-8 with BOM", "UTF-8"},
    {TTextEncoding::Utf16LE, "UTF-16LE", "UTF-16LE"},
    {TTextEncoding::Utf16BE, "UTF-16BE", "UTF-16BE"},
    {TTextEncoding::Windows1252, "windows-1252", "WINDOWS-1252"},
    {TTextEncoding::Iso8859_1, "ISO-8859-1", "ISO-8859-1"},
    {TTextEncoding::Iso8859_15, "ISO-8859-15", "ISO-8859-15"},
    {TTextEncoding::ShiftJis, "Shift_JIS", "CP932"}, // keeps 0x5C a backslash
    {TTextEncoding::EucJp, "EUC-JP", "EUC-JP"},
    {TTextEncoding::Gb18030, "GBK/GB18030", "GB18030"},
    {TTextEncoding::Big5, "Big5", "BIG5"},
    {TTextEncoding::EucKr, "EUC-KR", "EUC-KR"},
    {TTextEncoding::Koi8R, "KOI8-R", "KOI8-R"},
    {TTextEncoding::Windows1251, "windows-1251", "WINDOWS-1251"},
}};

const Charset& charsetOf(TTextEncoding encoding)
{
    return charsets[size_t(encoding)];
}

// The detector's names for what it finds, where they differ from ours.
std::optional<TTextEncoding> fromDetectedName(const QByteArray& name)
{
    static const std::array<std::pair<const char*, TTextEncoding>, 4> aliases{{
        {"GBK", TTextEncoding::Gb18030},
        {"GB2312", TTextEncoding::Gb18030},
        {"UHC", TTextEncoding::EucKr},
        {"CP949", TTextEncoding::EucKr},
    }};
    for (const Charset& charset : charsets)
        if (name.compare(charset.iconvName, Qt::CaseInsensitive) == 0
            || name.compare(charset.shownName, Qt::CaseInsensitive) == 0)
            return charset.encoding;
    for (const auto& [alias, encoding] : aliases)
        if (name.compare(alias, Qt::CaseInsensitive) == 0)
            return encoding;
    return std::nullopt;
}

std::optional<TTextEncoding> detected(const QByteArray& bytes)
{
    const uchardet_t detector = uchardet_new();
    std::optional<TTextEncoding> found;
    if (uchardet_handle_data(detector, bytes.constData(), size_t(bytes.size())) == 0) {
        uchardet_data_end(detector);
        found = fromDetectedName(QByteArray(uchardet_get_charset(detector)));
    }
    uchardet_delete(detector);
    return found;
}

// A few stray bytes among many good multi-byte characters is UTF-8 that was
// damaged; random bytes of other encodings seldom form UTF-8 sequences.
bool isMostlyUtf8(const RichEditCodec::Decoded& utf8)
{
    return utf8.nonAsciiChars > 0 && utf8.keptBytes <= utf8.nonAsciiChars;
}

// Splits text at its line ends, which it records, and joins the lines with "\n".
void splitLines(Decoded& decoded)
{
    QString& text = decoded.text;
    qsizetype kept = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (u != u'\r' && u != u'\n') {
            text[kept++] = text[i];
            continue;
        }
        const bool pair = u == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n';
        decoded.lineEnds.push_back(pair ? TLineEnd::CrLf : u == u'\r' ? TLineEnd::Cr : TLineEnd::Lf);
        i += pair ? 1 : 0;
        text[kept++] = u'\n';
    }
    text.truncate(kept);
    decoded.format.lineEnd = decoded.lineEnds.empty() ? TLineEnd::Lf : decoded.lineEnds.front();
    decoded.format.finalLineEnd = text.endsWith(u'\n');
    if (decoded.format.finalLineEnd)
        text.chop(1);
}

// Bytes with a mark are in its encoding; without one, UTF-8 is tried first,
// and when it holds, its text is the result.
std::optional<Decoded> decodeUnmarked(const QByteArray& bytes)
{
    RichEditCodec::Decoded utf8 = RichEditCodec::decode(bytes, "UTF-8");
    if (utf8.keptBytes == 0 || isMostlyUtf8(utf8)) {
        Decoded result{std::move(utf8.text), {TTextEncoding::Utf8}, {}};
        splitLines(result);
        return result;
    }
    utf8 = {};
    return decodeAs(bytes, detected(bytes).value_or(TTextEncoding::Windows1252));
}

qsizetype markSize(TTextEncoding encoding)
{
    switch (encoding) {
    case TTextEncoding::Utf8Bom: return utf8Bom.size();
    case TTextEncoding::Utf16LE:
    case TTextEncoding::Utf16BE: return utf16LEBom.size();
    default: return 0;
    }
}

QByteArray markOf(TTextEncoding encoding)
{
    switch (encoding) {
    case TTextEncoding::Utf8Bom: return utf8Bom;
    case TTextEncoding::Utf16LE: return utf16LEBom;
    case TTextEncoding::Utf16BE: return utf16BEBom;
    default: return {};
    }
}

} // namespace

const QList<TTextEncoding>& all()
{
    static const QList<TTextEncoding> encodings = [] {
        QList<TTextEncoding> list;
        for (const Charset& charset : charsets)
            list << charset.encoding;
        return list;
    }();
    return encodings;
}

QString nameOf(TTextEncoding encoding)
{
    return QString::fromLatin1(charsetOf(encoding).shownName);
}

std::optional<Decoded> decode(const QByteArray& bytes)
{
    if (bytes.startsWith(utf16LEBom))
        return decodeAs(bytes, TTextEncoding::Utf16LE);
    if (bytes.startsWith(utf16BEBom))
        return decodeAs(bytes, TTextEncoding::Utf16BE);
    if (std::memchr(bytes.constData(), 0, size_t(bytes.size())))
        return std::nullopt;
    if (bytes.startsWith(utf8Bom))
        return decodeAs(bytes, TTextEncoding::Utf8Bom);
    return decodeUnmarked(bytes);
}

Decoded decodeAs(const QByteArray& bytes, TTextEncoding encoding)
{
    const qsizetype mark = bytes.startsWith(markOf(encoding)) ? markSize(encoding) : 0;
    Decoded result{RichEditCodec::decode(QByteArrayView(bytes).sliced(mark), charsetOf(encoding).iconvName).text,
                   {encoding},
                   {}};
    splitLines(result);
    return result;
}

std::optional<QByteArray> encode(QStringView text, TTextEncoding encoding)
{
    std::optional<QByteArray> bytes = RichEditCodec::encode(text, charsetOf(encoding).iconvName);
    if (bytes)
        bytes->prepend(markOf(encoding));
    return bytes;
}

QLatin1StringView textOf(TLineEnd end)
{
    switch (end) {
    case TLineEnd::Lf: return QLatin1StringView("\n");
    case TLineEnd::CrLf: return QLatin1StringView("\r\n");
    case TLineEnd::Cr: return QLatin1StringView("\r");
    }
    return QLatin1StringView("\n");
}

}
