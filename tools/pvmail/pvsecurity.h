#pragma once
// What send and retrieve share for a protected connection and a login:
// --security, --ca-file, and the password from --password-file or the
// environment (never from an argument, which other users can see).
#include "net/session/session.h"

#include <QCommandLineOption>
#include <QList>

#include <optional>

class QCommandLineParser;

extern const QList<QCommandLineOption> PvSecurityOptions;

// The --security choice (none when absent), or nothing when the value is not
// one of none, starttls, tls.
std::optional<TmsSecurity> PvSecurity(const QCommandLineParser& parser);

// The first line of --password-file, else $PVMAIL_PASSWORD, else nothing.
// A file that cannot be read raises its error.
std::optional<QString> PvPassword(const QCommandLineParser& parser);

// A log-in without TLS gives the password away on the network: one line on
// standard error says so, for the command named.
void PvWarnOfClearLogin(const char* command, TmsSecurity security);

// A server that offered CRAM-MD5 or APOP before and no longer does: one line
// on standard error says so, and the log-in goes ahead as it always did.
void PvWarnOfWithdrawnChallenge(const char* command, TmsMailBase& client);
