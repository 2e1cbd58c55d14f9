// The SMTP greeting: EHLO and the extensions its reply offers, HELO for a
// server that does not know EHLO, and the upgrade to TLS with STARTTLS.
#include "net/smtp/smtp_client.h"

// The old client's HELO sequence stays for a server that refuses EHLO, so
// every server it reached still works.
void TmsSMTP::Greet()
{
    extensions = {};
    const QByteArray name = LocalHost().toUtf8();
    SendLine("EHLO " + name);
    QList<QByteArray> lines;
    const int code = ReadReply(lines);
    if (code / 100 == 2) {
        ReadExtensions(lines);
        return;
    }
    if (code / 100 != 5)
        RaiseServerError();
    SendLine("HELO " + name);
    if (ReadReply() / 100 == 2)
        return;
    // Some servers refuse the name this machine gives itself.
    SendLine("HELO");
    Check2xx(ReadReply());
}

// Every line after the first names one extension and its parameters.
void TmsSMTP::ReadExtensions(const QList<QByteArray>& lines)
{
    for (qsizetype i = 1; i < lines.size(); ++i) {
        QList<QByteArray> words = lines[i].mid(4).toUpper().split(' ');
        words.removeAll(QByteArray());
        if (words.isEmpty())
            continue;
        const QByteArray keyword = words.takeFirst();
        if (keyword == "STARTTLS") {
            extensions.startTls = true;
        } else if (keyword == "AUTH" || keyword.startsWith("AUTH=")) {
            // Older servers write "AUTH=PLAIN LOGIN", alone or beside the AUTH line.
            extensions.auth = true;
            if (keyword.size() > 5)
                words.prepend(keyword.mid(5));
            extensions.authMechanisms += words;
        } else if (keyword == "SIZE") {
            extensions.size = true;
            extensions.sizeLimit = words.isEmpty() ? 0 : qMax(0LL, words.first().toLongLong());
        }
    }
}

// What the server offered in plain text is forgotten: an attacker could have
// written it.
void TmsSMTP::UpgradeToTls()
{
    if (!extensions.startTls)
        throw EServerError(QStringLiteral("The server does not offer STARTTLS, which the security setting requires"));
    SendLine("STARTTLS");
    Check2xx(ReadReply());
    StartTls();
    Greet();
}
