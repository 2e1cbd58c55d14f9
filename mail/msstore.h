#pragma once
// The local mail store: message files numbered in a directory, with a
// counter file holding the number the next new file gets. Saved mail uses
// "m" and "emax.dat", copies to self "cm" and "copymax.dat".
#include <QString>

namespace MailStore {

inline const QString SavedPrefix = QStringLiteral("m");
inline const QString SavedCounter = QStringLiteral("emax.dat");
inline const QString CopiesPrefix = QStringLiteral("cm");
inline const QString CopiesCounter = QStringLiteral("copymax.dat");

// Allocates the next file name: n is the counter's first line as written
// there ("0" without a counter file), the counter is rewritten with n + 1
// before the name prefix + n + ".eml" is returned. Creates the directory
// when needed. Raises EConvertError when the first line is no decimal number
// and EFCreateError when the directory or counter cannot be written; either
// way nothing is allocated and the caller still holds its message.
QString NextFileName(const QString& directory, const QString& prefix, const QString& counterName);

inline QString NextSavedMail(const QString& directory)
{
    return NextFileName(directory, SavedPrefix, SavedCounter);
}

inline QString NextCopyToSelf(const QString& directory)
{
    return NextFileName(directory, CopiesPrefix, CopiesCounter);
}

} // namespace MailStore
