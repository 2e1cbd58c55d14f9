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
        throw EServerError(QString::fromUtf8(LastReply));
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

void TmsSMTP::Send()
{
    RunSession([this] { SendMail(); });
}
