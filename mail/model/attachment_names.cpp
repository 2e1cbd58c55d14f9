#include "mail/model/attachment_names_p.h"

namespace {

constexpr char unnamedPrefix[] = "att.";
constexpr char alternativePrefix[] = "_alt.";

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
    for (qsizetype i = 0; i < bare.size(); ++i) {
        const uchar c = uchar(bare[i]);
        if (c < 0x20 || c == 0x7F)
            bare[i] = '_';
        else if (c == 0xC2 && i + 1 < bare.size() && uchar(bare[i + 1]) >= 0x80 && uchar(bare[i + 1]) <= 0x9F)
            bare.replace(i, 2, "_"); // a control character of Latin-1's upper half, in UTF-8
    }
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
