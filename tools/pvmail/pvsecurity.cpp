#include "tools/pvmail/pvsecurity.h"

#include "toolkit/Streams.h"

#include <QCommandLineParser>

const QList<QCommandLineOption> PvSecurityOptions = {
    {"security", {}, "none|starttls|tls"}, {"ca-file", {}, "FILE"}, {"password-file", {}, "FILE"}};

std::optional<TmsSecurity> PvSecurity(const QCommandLineParser& parser)
{
    static const std::pair<QLatin1String, TmsSecurity> names[] = {{QLatin1String("none"), TmsSecurity::None},
                                                                  {QLatin1String("starttls"), TmsSecurity::StartTls},
                                                                  {QLatin1String("tls"), TmsSecurity::Tls}};
    const QString value = parser.isSet(QStringLiteral("security")) ? parser.value(QStringLiteral("security"))
                                                                   : QStringLiteral("none");
    for (const auto& [name, security] : names)
        if (value == name)
            return security;
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
