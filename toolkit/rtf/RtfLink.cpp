#include "RtfLink.h"

namespace Rtf {

QString linkTargetOf(QStringView instruction)
{
    const QStringView trimmed = instruction.trimmed();
    const QLatin1StringView keyword("HYPERLINK");
    if (!trimmed.startsWith(keyword, Qt::CaseInsensitive))
        return {};
    const QStringView rest = trimmed.mid(keyword.size()).trimmed();
    // Switches such as \l come before or after the quoted target.
    const qsizetype open = rest.indexOf(u'"');
    if (open < 0)
        return rest.left(rest.indexOf(u' ')).toString();
    const qsizetype close = rest.indexOf(u'"', open + 1);
    return rest.mid(open + 1, close < 0 ? -1 : close - open - 1).toString();
}

QByteArray linkInstructionOf(const QString& target)
{
    // A quote would end the target early, and the other three are RTF's own.
    QByteArray out = "HYPERLINK \"";
    for (const char c : target.toUtf8()) {
        if (c == '"' || c == '\\' || c == '{' || c == '}' || uchar(c) <= 0x20 || uchar(c) >= 0x7F)
            out += '%' + QByteArray::number(uchar(c), 16).rightJustified(2, '0').toUpper();
        else
            out += c;
    }
    return out + '"';
}

}
