// pvmail retrieve: every message of a POP3 mailbox into a local mail store.
#include "mail/msmsg.h"
#include "mail/msstore.h"
#include "net/mspop3.h"
#include "tools/pvmail/pvcommand.h"
#include "tools/pvmail/pvjson.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QJsonDocument>

namespace {

const char help[] =
    "Usage: pvmail retrieve --server HOST[:PORT] --user NAME --password-file FILE\n"
    "                       [--leave-on-server] [--timeout SECONDS] --store DIR\n"
    "\n"
    "Retrieves every message of the POP3 mailbox and writes each into DIR as the\n"
    "next numbered mN.eml, counted in DIR/emax.dat, before it is deleted from the\n"
    "server (unless --leave-on-server). The password is the first line of FILE.\n"
    "An IPv6 server is written [ADDRESS]:PORT. --timeout is the seconds of silence\n"
    "allowed (default 60). Prints one JSON line per message: number (on the\n"
    "server), file, from, subject and attachments. A message the server will not\n"
    "give or delete is reported on standard error and the rest go on. Exits with 0\n"
    "when all went well, 1 otherwise, with the error that stopped it; messages\n"
    "stored before an error stay stored and on the server.\n";

const QList<QCommandLineOption> options = {
    {"server", {}, "HOST[:PORT]"}, {"user", {}, "NAME"}, {"password-file", {}, "FILE"},
    {"store", {}, "DIR"},          {"timeout", {}, "SECONDS"}, QCommandLineOption("leave-on-server"),
};

QString readPassword(const QString& fileName)
{
    QByteArray text = ReadWholeFile(fileName);
    text.truncate(text.indexOf('\n') < 0 ? text.size() : text.indexOf('\n'));
    if (text.endsWith('\r'))
        text.chop(1);
    return QString::fromUtf8(text);
}

// Runs as each message arrives, before its DELE: a message is on disk before
// the server lets it go, and a failure here keeps it there.
void storeLast(const TmsPOP& pop, int index, const QString& store)
{
    TmsMessage& message = pop.MessageList->Items(pop.MessageList->Count() - 1);
    const QString file = MailStore::StoreMessage(store, MailStore::SavedMail, message);
    const QJsonObject all = MessageToJson(message);
    const QJsonObject line{{"number", index + 1},
                           {"file", QFileInfo(file).fileName()},
                           {"from", all.value("from")},
                           {"subject", all.value("subject")},
                           {"attachments", all.value("attachments")}};
    std::fprintf(stdout, "%s\n", QJsonDocument(line).toJson(QJsonDocument::Compact).constData());
    std::fflush(stdout);
}

int run(const QStringList& arguments)
{
    if (PvWantsHelp(RetrieveCommand, arguments))
        return PvOk;
    QCommandLineParser parser;
    parser.addOptions(options);
    if (!parser.parse(QStringList(QStringLiteral("pvmail")) + arguments))
        return PvError("retrieve", parser.errorText()), PvUsage;
    for (const char* required : {"server", "user", "password-file", "store"})
        if (!parser.isSet(required))
            return PvError("retrieve", QStringLiteral("--%1 is required (see --help)").arg(required)), PvUsage;
    if (!parser.positionalArguments().isEmpty())
        return PvError("retrieve", QStringLiteral("unexpected argument %1").arg(parser.positionalArguments()[0])),
               PvUsage;
    const std::optional<int> timeOut = PvTimeOut(parser);
    if (!timeOut)
        return PvError("retrieve", QStringLiteral("--timeout takes a number of seconds")), PvUsage;
    try {
        TmsPOP pop;
        pop.Server = parser.value("server");
        pop.SetTimeOut(*timeOut);
        pop.UserName = parser.value("user");
        pop.Password = readPassword(parser.value("password-file"));
        const QString store = parser.value("store");
        pop.OnRetrieved = [&pop, &store](QObject*, int index) { storeLast(pop, index, store); };
        bool allWell = true;
        pop.OnMessageError = [&allWell](QObject*, int, const QString& message) {
            allWell = false;
            PvError("retrieve", message);
        };
        pop.RetrieveAll(parser.isSet("leave-on-server") ? TmsAfterRetrieve::LeaveOnServer
                                                        : TmsAfterRetrieve::Delete);
        return allWell ? PvOk : PvFailed;
    } catch (const Exception& e) {
        return PvError("retrieve", e.Message);
    }
}

} // namespace

const PvCommand RetrieveCommand{"retrieve", "retrieve a POP3 mailbox into a local mail store", help, run};
