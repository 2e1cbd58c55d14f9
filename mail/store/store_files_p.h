#pragma once
// The files of a store directory, read once: what the listing and the clean-up
// after an interrupted write need, in time that grows with the files there,
// not with the counter's value.
#include "mail/store/mail_store.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace MailStore {

// What a name prefix + number + ".eml" holds: a file, or whatever else
// (a directory, a link) is there, which the listing shows by its name.
struct TNumberedFile {
    quint64 number = 0;
    QString path;
    bool empty = false;
};

struct TStoreFiles {
    // By number. Empty: a plain file (no link) of no bytes.
    std::vector<TNumberedFile> numbered;
    // Regular files named as the store's temporary files: "ms" and six
    // letters or digits.
    QStringList temporary;
};

// A temporary file is a plain file, never a link. Nothing when the
// directory cannot be read.
TStoreFiles ReadStoreFiles(const QString& directory, const TStoreKind& kind);

} // namespace MailStore
