// pvmail retrieve: every message of a POP3 mailbox into a local mail store.
#include "mail/model/message.h"
#include "mail/store/mail_store.h"
#include "net/pop3/pop3_client.h"
#include "tools/pvmail/pvcommand.h"
#include "tools/pvmail/pvdial.h"
#include "tools/pvmail/pvjson.h"
#include "tools/pvmail/pvsecurity.h"
#include "tools/pvmail/pvseen.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QJsonDocument>

namespace {

const char help[] =
    "Usage: pvmail retrieve --server HOST[:PORT] --user NAME [--password-file FILE]\n"
    "                       [--leave-on-server] [--seen-file FILE] [--timeout SECONDS]\n"
    "                       [--security none|starttls|tls] [--ca-file FILE]\n"
    "                       [--dial PROFILE] --store DIR\n"
    "\n"
    "Retrieves every message of the POP3 mailbox and writes each into DIR as the\n"
    "next numbered mN.eml, counted in DIR/emax.dat, before it is deleted from the\n"
    "server (unless --leave-on-server). The password is the first line of FILE,\n"
    "or else the environment variable PVMAIL_PASSWORD (never an argument: other\n"
    "users can see those). With --seen-file, the unique ids of the messages\n"
    "fetched are kept in FILE and a message fetched before is not fetched again.\n"
    "Mail deleted from the server has its ids kept too, in FILE or else in the\n"
    "file the mailbox window keeps for the account, so a retrieval cut off before\n"
    "the server deleted the mail stored does not store it twice.\n"
    "--security protects the connection: none (the default), starttls, or tls\n"
    "(port 995 when --server gives none). The server's certificate must be signed\n"
    "by an authority the system trusts or by the one in --ca-file.\n"
    "An IPv6 server is written [ADDRESS]:PORT. --timeout is the seconds of silence\n"
    "allowed (default 60). Prints one JSON line per message: number (on the\n"
    "server), file, from, subject and attachments. A message the server will not\n"
    "give or delete is reported on standard error and the rest go on. Exits with 0\n"
    "when all went well, 1 otherwise, with the error that stopped it; messages\n"
    "stored before an error stay stored and on the server.\n"
    "--dial PROFILE brings up that NetworkManager connection profile first,\n"
    "unless it is up already, and takes it down again at the end.\n";

const QList<QCommandLineOption> options = {
    {"server", {}, "HOST[:PORT]"}, {"user", {}, "NAME"},      {"store", {}, "DIR"},
    {"timeout", {}, "SECONDS"},    {"seen-file", {}, "FILE"}, QCommandLineOption("leave-on-server"),
};

// Each message goes from RETR straight into the store, as the server sent
// it, and is decoded from its file; each group is put on disk before its
// DELEs go out or its ids are kept, as in the mailbox window.
class TStoringPOP : public TmsPOP {
public:
    explicit TStoringPOP(const QString& store) : Store(store, MailStore::SavedMail)
    {
        KeepGroup = int(MailStore::TStoreWriter::GroupSize);
    }

    MailStore::TStoreWriter Store;

protected:
    TStream* ReceivingStream() override { return &Store.BeginText(); }
    void MessageReceived(int index, TStream& stream) override;
    void KeepRetrieved() override { Store.Sync(); }
};

// Runs as each message arrives, before its DELE; a failure here keeps it on
// the server.
void TStoringPOP::MessageReceived(int index, TStream& stream)
{
    const QString file = Store.WriteText();
    DecodeIntoList(stream);
    TmsMessage& message = MessageList->Items(MessageList->Count() - 1);
    const QJsonObject line{{"number", index + 1},
                           {"file", QFileInfo(file).fileName()},
                           {"from", AddressToJson(message.Sender())},
                           {"subject", QString::fromUtf8(message.Subject())},
                           {"attachments", AttachmentsToJson(message)}};
    // Output nobody reads any more fails here quietly: the mail is stored all the same.
    std::fprintf(stdout, "%s\n", QJsonDocument(line).toJson(QJsonDocument::Compact).constData());
    std::fflush(stdout);
    MessageList->Clear(); // stored and reported: a mailbox takes the memory of one message
}

// Messages stored before the connection broke stay stored; a retrieval
// that ends well has put every group on disk.
void retrieveAll(TStoringPOP& pop, TmsAfterRetrieve afterRetrieve)
{
    try {
        pop.RetrieveAll(afterRetrieve);
    } catch (const Exception&) {
        pop.Store.Sync();
        throw;
    }
}

int run(const QStringList& arguments)
{
    if (PvWantsHelp(RetrieveCommand, arguments))
        return PvOk;
    QCommandLineParser parser;
    parser.addOptions(options);
    parser.addOptions(PvSecurityOptions);
    parser.addOption(PvDialOption);
    if (!parser.parse(QStringList(QStringLiteral("pvmail")) + arguments))
        return PvError("retrieve", parser.errorText()), PvUsage;
    for (const char* required : {"server", "user", "store"})
        if (!parser.isSet(required))
            return PvError("retrieve", QStringLiteral("--%1 is required (see --help)").arg(required)), PvUsage;
    if (!parser.positionalArguments().isEmpty())
        return PvError("retrieve", QStringLiteral("unexpected argument %1").arg(parser.positionalArguments()[0])),
               PvUsage;
    const std::optional<int> timeOut = PvTimeOut(parser);
    if (!timeOut)
        return PvError("retrieve", QStringLiteral("--timeout takes a number of seconds")), PvUsage;
    const std::optional<TmsSecurity> security = PvSecurity(parser);
    if (!security)
        return PvError("retrieve", QStringLiteral("--security takes none, starttls or tls")), PvUsage;
    const TmsAfterRetrieve afterRetrieve = parser.isSet("leave-on-server") ? TmsAfterRetrieve::LeaveOnServer
                                                                           : TmsAfterRetrieve::Delete;
    try {
        const QString seenFile = PvSeenFile(parser, afterRetrieve);
        if (!seenFile.isEmpty())
            PvCheckSeenFile(seenFile);
        TStoringPOP pop(parser.value("store"));
        const std::optional<QString> password = PvPassword(parser);
        if (!password)
            return PvError("retrieve", QStringLiteral("--password-file or PVMAIL_PASSWORD is required")), PvUsage;
        if (const QString usage = PvDial(parser, pop, "retrieve"); !usage.isEmpty())
            return PvError("retrieve", usage), PvUsage;
        TrkSessionOptions options = pop.Options();
        options.Server = parser.value("server");
        options.TimeOut = *timeOut;
        options.Security = *security;
        options.CAFile = parser.value("ca-file");
        pop.SetOptions(options);
        pop.UserName = parser.value("user");
        pop.Password = *password;
        PvWarnOfClearLogin("retrieve", *security);
        PvWarnOfWithdrawnChallenge("retrieve", pop);
        pop.SeenIdsFile = seenFile;
        bool allWell = true;
        pop.OnMessageError = [&allWell](QObject*, int, const QString& message) {
            allWell = false;
            PvError("retrieve", message);
        };
        retrieveAll(pop, afterRetrieve);
        return allWell ? PvOk : PvFailed;
    } catch (const Exception& e) {
        return PvError("retrieve", e.Message);
    }
}

} // namespace

const PvCommand RetrieveCommand{"retrieve", "retrieve a POP3 mailbox into a local mail store", help, run};
