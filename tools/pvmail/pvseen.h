#pragma once
// The file of the ids stored, chosen and checked before a retrieval: a file
// that cannot serve would have every run store the whole mailbox again,
// without a word.
#include "net/pop3/pop3_client.h"

#include <QString>

class QCommandLineParser;

// --seen-file; without it, mail deleted from the server keeps its ids in the
// file the mailbox window keeps for the account (a retrieval cut off before
// QUIT would store it twice), and mail left there keeps none.
QString PvSeenFile(const QCommandLineParser& parser, TmsAfterRetrieve afterRetrieve);

// Raises EFOpenError when the file exists but cannot be read, EConvertError
// when a line of it is no unique id, and EFCreateError when no new version of
// it can be made beside it. A file that does not exist yet is fine.
void PvCheckSeenFile(const QString& path);
