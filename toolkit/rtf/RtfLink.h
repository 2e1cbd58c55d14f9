#pragma once
// Hyperlinks as RTF holds them: a field whose instruction names the target
// and whose result is the text shown.
#include <QByteArray>
#include <QString>

namespace Rtf {

// The target of a field instruction such as HYPERLINK "https://…"; empty for
// any other field (PAGE, DATE, …).
QString linkTargetOf(QStringView instruction);

// The instruction of a field linking to target, quoted for RTF.
QByteArray linkInstructionOf(const QString& target);

}
