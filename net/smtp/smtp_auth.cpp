// SMTP AUTH with the login of the settings: CRAM-MD5 when the server offers
// it (the password never crosses the wire), else PLAIN, else LOGIN, checked
// first against a server that offered CRAM-MD5 before. The
// credentials go as secret lines: they never reach OnCommand or an error
// message.
#include "net/smtp/smtp_client.h"

#include <QMessageAuthenticationCode>
#include <QScopeGuard>

void TmsSMTP::Authenticate()
{
    if (!extensions.auth)
        throw EServerError(QStringLiteral("The server does not offer authentication (AUTH)"));
    const QList<QByteArray>& offered = extensions.authMechanisms;
    inAuth = true;
    const auto done = qScopeGuard([this] { inAuth = false; });
    if (offered.contains("CRAM-MD5")) {
        NoteChallengeOffered(UserName, "CRAM-MD5");
        AuthCramMd5();
    } else if (offered.contains("PLAIN") || offered.contains("LOGIN")) {
        CheckPlainLogin(UserName, "CRAM-MD5");
        offered.contains("PLAIN") ? AuthPlain() : AuthLogin();
    } else {
        throw EServerError(QStringLiteral("The server offers no login method this program knows (it offers %1)")
                               .arg(QString::fromLatin1(offered.join(' '))));
    }
    Check2xx(ReadReply());
}

void TmsSMTP::AuthPlain()
{
    const QByteArray credentials = '\0' + UserName.toUtf8() + '\0' + Password.toUtf8();
    SendSecretLine("AUTH PLAIN ", credentials.toBase64());
}

void TmsSMTP::AuthLogin()
{
    SendLine("AUTH LOGIN");
    ReadChallenge();
    SendSecretLine({}, UserName.toUtf8().toBase64());
    ReadChallenge();
    SendSecretLine({}, Password.toUtf8().toBase64());
}

void TmsSMTP::AuthCramMd5()
{
    SendLine("AUTH CRAM-MD5");
    const QByteArray challenge = ReadChallenge();
    const QByteArray digest =
        QMessageAuthenticationCode::hash(challenge, Password.toUtf8(), QCryptographicHash::Md5).toHex();
    SendSecretLine({}, (UserName.toUtf8() + ' ' + digest).toBase64());
}

// A 334 reply's text, decoded; any other reply is a refusal.
QByteArray TmsSMTP::ReadChallenge()
{
    if (ReadReply() != 334)
        RaiseServerError();
    return QByteArray::fromBase64(LastReply().mid(4));
}
