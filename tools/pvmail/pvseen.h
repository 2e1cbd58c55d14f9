#pragma once
// --seen-file checked before a retrieval: a file that cannot serve would have
// every run store the whole mailbox again, without a word.
#include <QString>

// Raises EFOpenError when the file exists but cannot be read, EConvertError
// when a line of it is no unique id, and EFCreateError when no new version of
// it can be made beside it. A file that does not exist yet is fine.
void PvCheckSeenFile(const QString& path);
