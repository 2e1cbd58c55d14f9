// The SMTP client's connection: open, HELO, QUIT, and the one call the
// application makes.
#include "net/mssmtp.h"

#include "mail/msstreams.h"
#include "toolkit/Pump.h"

TmsSMTP::TmsSMTP(QObject* owner) : TmsMailBase(owner)
{
    ServiceName = "smtp";
    DefaultPort = 25;
}

TmsSMTP::~TmsSMTP() = default;

void TmsSMTP::Check2xx(int code)
{
    if (code / 100 != 2)
        RaiseServerError();
}

QString TmsSMTP::StepName(const QByteArray& command) const
{
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
    Reset();
    TmsMailBase::Open();
}

void TmsSMTP::Login()
{
    ConnectOrClose();
    Check2xx(ReadReply());
    SendLine("HELO " + LocalHost.toUtf8());
    if (ReadReply() / 100 == 2)
        return;
    // Some servers refuse the name this machine gives itself.
    SendLine("HELO");
    Check2xx(ReadReply());
}

void TmsSMTP::Logout()
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
