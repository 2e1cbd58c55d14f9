#include "mail/model/attachment_names_p.h"

#include "mail/text/bidirectional.h"

#include <algorithm>

namespace {

constexpr char unnamedPrefix[] = "att.";
constexpr char alternativePrefix[] = "_alt.";

// The UTF-8 length of the control character at i, or 0: the C0 and C1
// controls, and the marks that reorder text, which can make
// "invoice<RLO>fdp.exe" read as a PDF.
qsizetype controlLength(const QByteArray& name, qsizetype i)
{
    const auto byte = [&](qsizetype at) { return at < name.size() ? char32_t(uchar(name[at])) : 0; };
    const char32_t c = byte(i);
    if (c < 0x20 || c == 0x7F)
        return 1;
    if (c >= 0xC2 && c <= 0xDF && (byte(i + 1) & 0xC0) == 0x80) {
        const char32_t point = (c & 0x1F) << 6 | (byte(i + 1) & 0x3F);
        return (point >= 0x80 && point <= 0x9F) || IsBidirectionalControl(point) ? 2 : 0;
    }
    if (c >= 0xE0 && c <= 0xEF && (byte(i + 1) & 0xC0) == 0x80 && (byte(i + 2) & 0xC0) == 0x80) {
        const char32_t point = (c & 0x0F) << 12 | (byte(i + 1) & 0x3F) << 6 | (byte(i + 2) & 0x3F);
        return IsBidirectionalControl(point) ? 3 : 0;
    }
    return 0;
}

} // namespace

QByteArray BareFileName(const QByteArray& fileName)
{
    const qsizetype slash = std::max(fileName.lastIndexOf('/'), fileName.lastIndexOf('\\'));
    return fileName.mid(slash + 1);
}

QByteArray SafeFileName(const QByteArray& fileName, qsizetype index)
{
    QByteArray bare = BareFileName(fileName);
    if (bare.isEmpty() || bare == "." || bare == "..")
        return UnnamedFileName(index);
    for (qsizetype i = 0; i < bare.size(); ++i)
        if (const qsizetype length = controlLength(bare, i))
            bare.replace(i, length, "_");
    return bare;
}

QString NumberedFileName(const QString& name, qint64 number)
{
    if (number <= 1)
        return name;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const qsizetype stem = dot > 0 ? dot : name.size();
    return name.left(stem) + QStringLiteral(" (%1)").arg(number) + name.mid(stem);
}

QByteArray UnnamedFileName(qsizetype index)
{
    return unnamedPrefix + QByteArray::number(index);
}

bool IsUnnamedFile(const TmsAttItem& item)
{
    const QByteArray name = BareFileName(item.FileName());
    if (!name.startsWith(unnamedPrefix))
        return false;
    const QByteArrayView index = QByteArrayView(name).sliced(sizeof unnamedPrefix - 1);
    return !index.isEmpty() && std::all_of(index.begin(), index.end(), [](char c) { return c >= '0' && c <= '9'; });
}

QByteArray AlternativeFileName(qsizetype index)
{
    return alternativePrefix + QByteArray::number(index);
}

bool IsAlternativeFile(const TmsAttItem& item)
{
    return BareFileName(item.FileName()).toLower().startsWith(alternativePrefix);
}

QByteArray BodyFileType(const TmsAttItem& item)
{
    const QByteArray name = BareFileName(item.FileName()).toLower();
    if (name == "_htmbody.htm")
        return "text/html";
    if (name == "_rtfbody.rtf")
        return "text/rtf";
    return {};
}
