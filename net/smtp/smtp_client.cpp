// The SMTP client's connection: open, the greeting, STARTTLS and AUTH when
// asked for, QUIT, and the one call the application makes.
#include "net/smtp/smtp_client.h"

#include "mail/store/mail_streams.h"
#include "net/session/clients_p.h"
#include "net/session/socket_errors_p.h"
#include "toolkit/Pump.h"

namespace {

// Submission after STARTTLS, or over TLS from the start.
constexpr TSecurityPort securityPorts[] = {
    {TmsSecurity::None, "smtp", 25},
    {TmsSecurity::StartTls, "submission", 587},
    {TmsSecurity::Tls, "submissions", 465},
};

} // namespace

TmsSMTP::TmsSMTP(QObject* owner) : TmsMailBase(owner)
{
    SetOptions(PlainOptions(securityPorts));
}

TmsSMTP::~TmsSMTP() = default;

void TmsSMTP::Check2xx(int code)
{
    if (code / 100 != 2)
        RaiseServerError();
}

QString TmsSMTP::StepName(const QByteArray& command) const
{
    if (inAuth)
        return QStringLiteral("AUTH");
    if (command == ".")
        return QStringLiteral("the end of the data");
    for (const char* verb : {"MAIL FROM", "RCPT TO"})
        if (command.startsWith(verb))
            return QString::fromLatin1(verb);
    return TmsMailBase::StepName(command);
}

void TmsSMTP::Open()
{
    CheckServer();
    if (AuthenticationRequired && UserName.isEmpty())
        RaiseSocketError(SocketError::UserNameRequired);
    if (AuthenticationRequired && Password.isEmpty())
        RaiseSocketError(SocketError::PasswordRequired);
    Reset();
    SetOptions(FollowSecurityPort(Options(), securityPorts));
    TmsMailBase::Open();
}

// With implicit TLS the session has shaken hands before the greeting.
void TmsSMTP::OpenSession()
{
    ConnectOrClose();
    Check2xx(ReadReply());
    Greet();
    if (Options().Security == TmsSecurity::StartTls)
        UpgradeToTls();
    if (AuthenticationRequired)
        Authenticate();
}

void TmsSMTP::CloseSession()
{
    ProcessMessages();
    SendLine("QUIT");
    Check2xx(ReadReply());
}

// Reporting a failure once the server has the message would invite sending
// it twice.
void TmsSMTP::Send()
{
    RunSession([this] { SendMail(); },
               [this](const Exception& e) {
                   QString message = e.Message;
                   if (OnQuitFailed)
                       OnQuitFailed(this, message);
               });
}
