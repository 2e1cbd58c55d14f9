#include "tools/pvmail/pvdial.h"

#include "net/session/session.h"
#include "net/dialup/dialer.h"
#include "tools/pvmail/pvcommand.h"

#include <QCommandLineParser>

const QCommandLineOption PvDialOption(QStringLiteral("dial"), QString(), QStringLiteral("PROFILE"));

QString PvDial(const QCommandLineParser& parser, TrkSocket& client, const char* command)
{
    if (!parser.isSet(PvDialOption))
        return {};
    auto* ras = new TrkRas(&client);
    if (!ras->RasAvailable()) {
        PvError(command, QStringLiteral("no NetworkManager on the system bus: going on without --dial"));
        return {};
    }
    const QString profile = parser.value(PvDialOption);
    ras->SetService(profile);
    if (ras->Service().isEmpty())
        return QStringLiteral("NetworkManager has no connection profile named %1").arg(profile);
    TrkSessionOptions options = client.Options();
    options.DialLink = ras;
    client.SetOptions(options);
    return {};
}
