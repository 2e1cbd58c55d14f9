#include "tools/pvmail/pvdial.h"

#include "net/msmb.h"
#include "net/rkras.h"
#include "tools/pvmail/pvcommand.h"

#include <QCommandLineParser>

const QCommandLineOption PvDialOption(QStringLiteral("dial"), QString(), QStringLiteral("PROFILE"));

QString PvDial(const QCommandLineParser& parser, TrkSocket& client, const char* command)
{
    if (!parser.isSet(PvDialOption))
        return {};
    auto* ras = new TrkRas(&client);
    ras->ShowMessage = [command](const QString& text) { PvError(command, QString(text).replace('\n', ' ')); };
    ras->SetService(parser.value(PvDialOption));
    if (ras->RasAvailable() && ras->Service().isEmpty())
        return QStringLiteral("NetworkManager has no connection profile named %1").arg(parser.value(PvDialOption));
    client.RAS = ras;
    return {};
}
