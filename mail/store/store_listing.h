#pragma once
// Reading a local mail store back: the listing that closes the gaps in the
// numbering, and deleting one message.
#include "mail/store/mail_store.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

namespace MailStore {

// directory + "/" + prefix + number + ".eml".
QString MessageFile(const QString& directory, const TStoreKind& kind, qint64 number);

// What a listing shows of one stored message. A file that cannot be loaded
// shows its file name as the subject.
struct TListedMessage {
    QByteArray from;
    QByteArray to;
    QByteArray subject;
};
using TListedRow = std::function<void(const TListedMessage&)>;

// Clears what interrupted writes left (RemoveLeftovers), then loads the
// numbered files present in the order of their numbers, reports each one,
// renames it to the next row number (never over an existing file) and
// rewrites the counter with the number of rows. An empty file is no message:
// it is never listed. Without a counter file there is nothing to list:
// nullopt. Raises EConvertError when the counter holds no number.
std::optional<qint64> ListStore(const QString& directory, const TStoreKind& kind, const TListedRow& row);

// Removes message file number; a failure is not reported, the listing after
// it shows what is left.
void DeleteMessageFile(const QString& directory, const TStoreKind& kind, qint64 number);

} // namespace MailStore
