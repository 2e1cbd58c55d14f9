#pragma once
// The unique ids of the messages one account has already fetched from mail
// left on its server.
#include <QString>

// The file that keeps them, in the user's data directory, one per account.
QString SeenIdsPath(const QString& server, const QString& user);
