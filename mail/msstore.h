#pragma once
// The local mail store: message files numbered in a directory, with a
// counter file holding the number the next new file gets. Saved mail uses
// "m" and "emax.dat", copies to self "cm" and "copymax.dat".
#include <QString>

class TmsCustomMessage;

namespace MailStore {

// A store's file name prefix and counter file.
struct TStoreKind {
    QString prefix;
    QString counter;
};

inline const TStoreKind SavedMail{QStringLiteral("m"), QStringLiteral("emax.dat")};
inline const TStoreKind CopiesToSelf{QStringLiteral("cm"), QStringLiteral("copymax.dat")};

// Writes the message as the next numbered file of the store and returns its
// path; once it returns, the message is on disk (a server may delete it).
// The number is the counter's first line as written there ("0" without a
// counter file), or the next number above it whose name nothing holds: an
// existing file is never replaced, a link never followed. The text goes to a
// temporary file beside it and takes the name only when whole, and the
// counter is then rewritten with the number + 1. Creates the directory when
// needed. Raises EConvertError when the counter's first line is no decimal
// number and EFCreateError when the directory, the file or the counter
// cannot be written; either way nothing is stored and the caller still holds
// its message.
QString StoreMessage(const QString& directory, const TStoreKind& kind, TmsCustomMessage& message);

} // namespace MailStore
