// pvmail send: one message through the SMTP client.
#include "mail/model/message.h"
#include "net/smtp/send_draft.h"
#include "net/smtp/smtp_client.h"
#include "tools/pvmail/pvcommand.h"
#include "tools/pvmail/pvdial.h"
#include "tools/pvmail/pvsecurity.h"

#include <QCommandLineParser>
#include <QFile>

namespace {

const char help[] =
    "Usage: pvmail send --server HOST[:PORT] --from ADDR [--name NAME] --to ADDR\n"
    "                   [--cc ADDR] [--bcc ADDR] [--subject TEXT] [--attach FILE]\n"
    "                   [--receipt] [--timeout SECONDS] [--verbose]\n"
    "                   [--security none|starttls|tls] [--ca-file FILE]\n"
    "                   [--login NAME] [--password-file FILE] [--dial PROFILE]\n"
    "                   [BODYFILE or -]\n"
    "\n"
    "Sends one message over SMTP. The body is the text of BODYFILE, or of standard\n"
    "input with -, or empty. It is sent as UTF-8: a line that is not valid UTF-8 is\n"
    "read as windows-1252 (which holds Latin-1). --to, --cc, --bcc and --attach may\n"
    "be given more than once. --receipt asks for a return receipt; --timeout is\n"
    "the seconds of silence allowed (default 60). An IPv6 server is written\n"
    "[ADDRESS]:PORT. --verbose prints each event of the client, with the commands\n"
    "and replies, on standard error. Exits with 0 once the server has accepted the\n"
    "message (a failed goodbye after that is reported on standard error), 1 with\n"
    "the error otherwise.\n"
    "\n"
    "--security protects the connection: none (the default), starttls (port 587\n"
    "when --server gives none) or tls (port 465). The server's certificate must\n"
    "be signed by an authority the system trusts or by the one in --ca-file.\n"
    "--login NAME logs in to the server before sending, with the password from\n"
    "the first line of --password-file FILE or else from the environment\n"
    "variable PVMAIL_PASSWORD (never an argument: other users can see those).\n"
    "--dial PROFILE brings up that NetworkManager connection profile first,\n"
    "unless it is up already, and takes it down again after sending.\n";

const QList<QCommandLineOption> options = {
    {"server", {}, "HOST[:PORT]"},
    {"from", {}, "ADDR"},
    {"name", {}, "NAME"},
    {"to", {}, "ADDR"},
    {"cc", {}, "ADDR"},
    {"bcc", {}, "ADDR"},
    {"subject", {}, "TEXT"},
    {"attach", {}, "FILE"},
    {"timeout", {}, "SECONDS"},
    QCommandLineOption("receipt"),
    QCommandLineOption("verbose"),
    {"login", {}, "NAME"},
};

void say(const QString& line)
{
    std::fprintf(stderr, "%s\n", qPrintable(line));
}

void reportEvents(TmsSMTP& smtp)
{
    auto note = [](const char* name) { return [name](QObject*) { say(QString::fromLatin1(name)); }; };
    TrkSessionListeners listeners;
    listeners.OnOpen = note("Open");
    listeners.OnConnect = note("Connect");
    listeners.OnClosing = note("Closing");
    listeners.OnClosed = note("Closed");
    listeners.OnCancel = note("Cancel");
    listeners.OnError = [](QObject*, QString& msg) { say(QStringLiteral("Error: ") + msg); };
    listeners.OnProgress = [](QObject*, int perc, qint64 n) {
        say(QStringLiteral("Progress %1% %2").arg(perc).arg(n));
    };
    listeners.OnCommand = [](QObject*, const QByteArray& line) { say(QStringLiteral("> ") + QString::fromUtf8(line)); };
    listeners.OnReply = [](QObject*, const QByteArray& line) { say(QStringLiteral("< ") + QString::fromUtf8(line)); };
    smtp.SetListeners(listeners);
    smtp.OnPrepare = note("Prepare");
    smtp.OnSending = note("Sending");
    smtp.OnMailSent = note("MailSent");
    smtp.OnAddressRejected = [](QObject*, const QByteArray& address, const QByteArray&, bool&) {
        say(QStringLiteral("AddressRejected ") + QString::fromUtf8(address));
    };
}

QByteArray readBody(const QString& source)
{
    if (source.isEmpty())
        return {};
    QFile file;
    if (source == QStringLiteral("-") ? !file.open(stdin, QIODevice::ReadOnly)
                                      : (file.setFileName(source), !file.open(QIODevice::ReadOnly)))
        throw EFOpenError(Errors::FileOpen(source, file.errorString()));
    return file.readAll();
}

QList<QByteArray> addresses(const QCommandLineParser& parser, const char* option)
{
    QList<QByteArray> list;
    for (const QString& address : parser.values(option))
        list.append(address.toUtf8());
    return list;
}

TmsDraft draftOf(const QCommandLineParser& parser, const QString& bodySource)
{
    TmsDraft draft;
    draft.SenderAddress = parser.value("from").toUtf8();
    draft.SenderName = parser.value("name").toUtf8();
    draft.To = addresses(parser, "to");
    draft.Cc = addresses(parser, "cc");
    draft.Bcc = addresses(parser, "bcc");
    draft.Subject = parser.value("subject").toUtf8();
    draft.ReturnReceipt = parser.isSet("receipt");
    draft.Body.SetText(readBody(bodySource));
    draft.AttachmentFiles = parser.values("attach");
    return draft;
}

// The login and protection the options ask for; a usage error as text.
QString secure(const QCommandLineParser& parser, TmsSMTP& smtp)
{
    const std::optional<TmsSecurity> security = PvSecurity(parser);
    if (!security)
        return QStringLiteral("--security takes none, starttls or tls");
    TrkSessionOptions options = smtp.Options();
    options.Security = *security;
    options.CAFile = parser.value("ca-file");
    smtp.SetOptions(options);
    // PVMAIL_PASSWORD alone does not log in: it may be set for retrieve.
    smtp.AuthenticationRequired = parser.isSet("login") || parser.isSet("password-file");
    if (!smtp.AuthenticationRequired)
        return {};
    const std::optional<QString> password = PvPassword(parser);
    if (!parser.isSet("login") || !password)
        return QStringLiteral("logging in takes --login and a password (--password-file or PVMAIL_PASSWORD)");
    smtp.UserName = parser.value("login");
    smtp.Password = *password;
    PvWarnOfClearLogin("send", *security);
    PvWarnOfWithdrawnChallenge("send", smtp);
    return {};
}

int run(const QStringList& arguments)
{
    if (PvWantsHelp(SendCommand, arguments))
        return PvOk;
    QCommandLineParser parser;
    parser.addOptions(options);
    parser.addOptions(PvSecurityOptions);
    parser.addOption(PvDialOption);
    if (!parser.parse(QStringList(QStringLiteral("pvmail")) + arguments))
        return PvError("send", parser.errorText()), PvUsage;
    const QStringList body = parser.positionalArguments();
    const std::optional<int> timeOut = PvTimeOut(parser);
    if (!parser.isSet("server") || !parser.isSet("from") || !parser.isSet("to") || body.size() > 1 || !timeOut)
        return PvError("send", QStringLiteral("expected --server, --from, --to and at most one BODYFILE (see --help)")),
               PvUsage;
    try {
        TmsSMTP smtp;
        TrkSessionOptions options = smtp.Options();
        options.Server = parser.value("server");
        options.TimeOut = *timeOut;
        smtp.SetOptions(options);
        if (const QString usage = secure(parser, smtp); !usage.isEmpty())
            return PvError("send", usage), PvUsage;
        if (const QString usage = PvDial(parser, smtp, "send"); !usage.isEmpty())
            return PvError("send", usage), PvUsage;
        const TmsDraft draft = draftOf(parser, body.value(0));
        if (parser.isSet("verbose"))
            reportEvents(smtp);
        smtp.OnQuitFailed = [](QObject*, QString& msg) {
            PvError("send", QStringLiteral("the message was sent, but closing the connection failed: ") + msg);
        };
        TmsMessage message;
        SendDraft(draft, smtp, message);
        return PvOk;
    } catch (const Exception& e) {
        return PvError("send", e.Message);
    }
}

} // namespace

const PvCommand SendCommand{"send", "send one message over SMTP", help, run};
