#include "tools/pvmail/pvsecurity.h"

#include "net/session/challenge_logins.h"
#include "toolkit/Streams.h"

#include <QCommandLineParser>

#include <cstdio>

const QList<QCommandLineOption> PvSecurityOptions = {
    {"security", {}, "none|starttls|tls"}, {"ca-file", {}, "FILE"}, {"password-file", {}, "FILE"}};

std::optional<TmsSecurity> PvSecurity(const QCommandLineParser& parser)
{
    if (!parser.isSet(QStringLiteral("security")))
        return TmsSecurity::None;
    const QString value = parser.value(QStringLiteral("security"));
    for (const TmsSecurityName& choice : SecurityNames) // the settings' names, in lower case
        if (value == QString::fromLatin1(choice.name).toLower())
            return choice.security;
    return std::nullopt;
}

std::optional<QString> PvPassword(const QCommandLineParser& parser)
{
    if (parser.isSet(QStringLiteral("password-file"))) {
        QByteArray text = ReadWholeFile(parser.value(QStringLiteral("password-file")));
        const qsizetype end = text.indexOf('\n');
        text.truncate(end < 0 ? text.size() : end);
        if (text.endsWith('\r'))
            text.chop(1);
        return QString::fromUtf8(text);
    }
    if (qEnvironmentVariableIsSet("PVMAIL_PASSWORD"))
        return qEnvironmentVariable("PVMAIL_PASSWORD");
    return std::nullopt;
}

void PvWarnOfClearLogin(const char* command, TmsSecurity security)
{
    if (security == TmsSecurity::None)
        std::fprintf(stderr,
                     "pvmail %s: warning: without --security starttls or tls the password can be read on the "
                     "network\n",
                     command);
}

void PvWarnOfWithdrawnChallenge(const char* command, TmsMailBase& client)
{
    client.ChallengeLoginsFile = ChallengeLoginsPath();
    client.OnChallengeWithdrawn = [command](QObject*, const QString& warning) {
        std::fprintf(stderr, "pvmail %s: warning: %s\n", command, qPrintable(warning));
        return true;
    };
}
