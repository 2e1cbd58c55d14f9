#pragma once
// --dial PROFILE of send and retrieve: a NetworkManager connection profile
// brought up before the server is contacted and taken down after it, unless
// it was up already.
#include <QCommandLineOption>
#include <QString>

class QCommandLineParser;
class TrkSocket;

extern const QCommandLineOption PvDialOption;

// Gives the client a dial-up link (owned by it) when the option asks for one.
// Without NetworkManager that is said on standard error and the client
// connects as it would without --dial. Returns a usage error: a profile
// NetworkManager does not have.
QString PvDial(const QCommandLineParser& parser, TrkSocket& client, const char* command);
