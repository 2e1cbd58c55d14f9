#pragma once
// What an interrupted write leaves in a store: numbered files that were only
// reservations (empty), and the writer's temporary files. A writer at work
// holds a lock on its reservation for as long as that file exists, so what a
// live writer is using is never taken for a leftover, in this process or
// another.
#include "mail/store/mail_store.h"

#include <QString>

namespace MailStore {

// A writer starts: its reservation (an empty temporary file in directory)
// is held as a live writer's, and what writers that are gone left is
// removed, the reservation itself spared.
void StartWriting(const QString& directory, const TStoreKind& kind, const QString& reservation);

// Removes every empty numbered file and every temporary file of the store,
// unless a writer other than the one whose reservation is spared is at work
// in the directory: then nothing is removed. A file that cannot be removed
// stays; the listing never shows an empty file.
void RemoveLeftovers(const QString& directory, const TStoreKind& kind, const QString& spared = {});

} // namespace MailStore
