#include "mail/msmsg_names_p.h"

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
    const QByteArray bare = BareFileName(fileName);
    if (bare.isEmpty() || bare == "." || bare == "..")
        return UnnamedFileName(index);
    return bare;
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
