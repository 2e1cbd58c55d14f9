#include "mail/model/attachment_names_p.h"

#include "mail/text/bidirectional.h"

#include <algorithm>

namespace {

constexpr char unnamedPrefix[] = "att.";
constexpr char alternativePrefix[] = "_alt.";

// The longest file name most file systems take, in bytes.
constexpr qsizetype maxNameBytes = 255;
// A longer "extension" is a dot inside the name, not a type to keep.
constexpr qsizetype maxExtensionBytes = 32;

// Where the name's extension begins at its dot; the name's size when it has
// none (a leading dot begins no extension).
qsizetype extensionStart(QByteArrayView name)
{
    const qsizetype dot = name.lastIndexOf('.');
    return dot > 0 && name.size() - dot <= maxExtensionBytes ? dot : name.size();
}

// The stem cut after a whole UTF-8 character so that stem and tail fit
// within a file name.
QByteArray fitted(QByteArrayView stem, QByteArrayView tail)
{
    qsizetype keep = std::max<qsizetype>(0, maxNameBytes - tail.size());
    if (stem.size() > keep) {
        while (keep > 0 && (uchar(stem[keep]) & 0xC0) == 0x80) // a continuation byte
            --keep;
        stem = stem.first(keep);
    }
    return stem.toByteArray().append(tail);
}

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
    const qsizetype stem = extensionStart(bare);
    return fitted(QByteArrayView(bare).first(stem), QByteArrayView(bare).sliced(stem));
}

QString NumberedFileName(const QString& name, qint64 number)
{
    if (number <= 1)
        return name;
    const QByteArray utf8 = name.toUtf8();
    const qsizetype stem = extensionStart(utf8);
    const QByteArray tail = " (" + QByteArray::number(number) + ')' + utf8.sliced(stem);
    return QString::fromUtf8(fitted(QByteArrayView(utf8).first(stem), tail));
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
