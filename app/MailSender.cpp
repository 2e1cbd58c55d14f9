#include "app/MailSender.h"

#include "app/SettingsStore.h"
#include "app/StatusPanels.h"
#include "mailbox/UnencryptedLoginPrompt.h"
#include "mail/model/message.h"
#include "net/smtp/send_draft.h"
#include "net/smtp/smtp_client.h"

#include <QApplication>

namespace {

// Clears a flag when the send ends, however it ends.
struct SendingFlag {
    explicit SendingFlag(bool& flag) : flag(flag) { flag = true; }
    ~SendingFlag() { flag = false; }
    bool& flag;
};

} // namespace

MailSender::MailSender(StatusPanels& status, QObject* parent) : QObject(parent), status(status)
{
    message = new TmsMessage(this);
    message->setObjectName(QStringLiteral("msMessage1"));
    message->SetContentType("text/plain");
    client = new TmsSMTP(this);
    client->setObjectName(QStringLiteral("msSMTP1"));
    client->MailMessage = message;
    AskBeforeUnencryptedLogin(*client);
    const auto report = [this](const QString& text) {
        return [this, text](QObject*) { this->status.set(StatusPanel::Font, text); };
    };
    TrkSessionListeners listeners;
    listeners.OnOpen = report(QStringLiteral("Opening connection"));
    listeners.OnClosing = report(QStringLiteral("Closing connection"));
    listeners.OnClosed = report(QStringLiteral("Connection closed"));
    listeners.OnCancel = report(QStringLiteral("Operation has been canceled"));
    listeners.OnProgress = [this](QObject*, int perc, qint64) {
        this->status.set(StatusPanel::State, QString::number(perc) + QStringLiteral(" %"));
    };
    listeners.OnError = [this](QObject*, QString& msg) { this->status.set(StatusPanel::Font, msg); };
    client->SetListeners(listeners);
    client->OnPrepare = report(QStringLiteral("Preparing message"));
    client->OnSending = report(QStringLiteral("Sending message"));
    client->OnMailSent = [this](QObject*) {
        this->status.set(StatusPanel::Font, QStringLiteral("Message has been sent"));
        this->status.set(StatusPanel::State, QStringLiteral("Done"));
        QApplication::beep();
    };
    // The server has the message: a failed goodbye must not read as a failed send.
    client->OnQuitFailed = [this](QObject*, QString& msg) {
        this->status.set(StatusPanel::Font,
                         QStringLiteral("Message has been sent; closing the connection failed: ") + msg);
    };
}

// The sender comes from the settings at each send.
void MailSender::applySettings()
{
    const TSettingsStore& store = AppSettings();
    TrkSessionOptions options = client->Options();
    options.Server = store.SMTPServer;
    options.Security = store.SMTPSecurity;
    client->SetOptions(options);
    client->AuthenticationRequired = store.SMTPAuth;
    client->UserName = store.SMTPLogin.isEmpty() ? store.POP3Login : store.SMTPLogin;
    client->Password = store.Password;
}

void MailSender::send(const TmsDraft& draft)
{
    if (sending)
        return; // a second send on the same connection would corrupt both
    SendingFlag flag(sending);
    SendDraft(draft, *client, *message);
}

void MailSender::cancel()
{
    client->Cancel();
}
