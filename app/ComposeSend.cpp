// Sending the document as e-mail: a draft made of the compose fields, the
// settings and the editor goes to the send workflow through the window's
// SMTP client, whose events the status bar shows.
#include "app/MainU.h"

#include "app/SettingsStore.h"
#include "mail/model/message.h"
#include "net/smtp/send_draft.h"
#include "net/smtp/smtp_client.h"
#include "toolkit/gui/RichEdit.h"

#include <QApplication>
#include <QLineEdit>

namespace {

// Model texts are UTF-8 bytes of at most 255 characters.
QByteArray modelText(const QString& text)
{
    return text.left(255).toUtf8();
}

// Clears a flag when the send ends, however it ends.
struct SendingFlag {
    explicit SendingFlag(bool& flag) : flag(flag) { flag = true; }
    ~SendingFlag() { flag = false; }
    bool& flag;
};

} // namespace

void TForm1::createMailComponents()
{
    msMessage1 = new TmsMessage(this);
    msMessage1->setObjectName(QStringLiteral("msMessage1"));
    msMessage1->SetContentType("text/plain");
    msSMTP1 = new TmsSMTP(this);
    msSMTP1->setObjectName(QStringLiteral("msSMTP1"));
    msSMTP1->MailMessage = msMessage1;
    const auto status = [this](const QString& text) {
        return [this, text](QObject*) { setStatus(StatusPanel::Font, text); };
    };
    TrkSessionListeners listeners;
    listeners.OnOpen = status(QStringLiteral("Opening connection"));
    listeners.OnClosing = status(QStringLiteral("Closing connection"));
    listeners.OnClosed = status(QStringLiteral("Connection closed"));
    listeners.OnCancel = status(QStringLiteral("Operation has been canceled"));
    listeners.OnProgress = [this](QObject*, int perc, qint64) {
        setStatus(StatusPanel::State, QString::number(perc) + QStringLiteral(" %"));
    };
    listeners.OnError = [this](QObject*, QString& msg) { setStatus(StatusPanel::Font, msg); };
    msSMTP1->SetListeners(listeners);
    msSMTP1->OnPrepare = status(QStringLiteral("Preparing message"));
    msSMTP1->OnSending = status(QStringLiteral("Sending message"));
    msSMTP1->OnMailSent = [this](QObject*) {
        setStatus(StatusPanel::Font, QStringLiteral("Message has been sent"));
        setStatus(StatusPanel::State, QStringLiteral("Done"));
        QApplication::beep();
    };
    // The server has the message: a failed goodbye must not read as a failed send.
    msSMTP1->OnQuitFailed = [this](QObject*, QString& msg) {
        setStatus(StatusPanel::Font, QStringLiteral("Message has been sent; closing the connection failed: ") + msg);
    };
}

// The sender comes from the settings at each send; the client keeps how it
// reaches the server, until the settings change.
void TForm1::applyMailSettings()
{
    const TSettingsStore& store = AppSettings();
    TrkSessionOptions options = msSMTP1->Options();
    options.Server = store.SMTPServer;
    options.Security = store.SMTPSecurity;
    msSMTP1->SetOptions(options);
    msSMTP1->AuthenticationRequired = store.SMTPAuth;
    msSMTP1->UserName = store.SMTPLogin.isEmpty() ? store.POP3Login : store.SMTPLogin;
    msSMTP1->Password = store.Password;
}

void TForm1::SendBtnClick()
{
    if (sending)
        return; // a second send on the same connection would corrupt both
    SendingFlag flag(sending);
    SendDraft(draftFromFields(), *msSMTP1, *msMessage1);
}

TmsDraft TForm1::draftFromFields() const
{
    const TSettingsStore& store = AppSettings();
    TmsDraft draft;
    draft.SenderAddress = modelText(store.EmailAddress);
    draft.SenderName = modelText(store.UserName);
    draft.To = {toEdit->text().toUtf8()};
    if (!eCC->text().isEmpty())
        draft.Cc = {eCC->text().toUtf8()};
    draft.ReturnReceipt = store.ConfirmEmailReceipt;
    draft.ReplyTo = draft.SenderAddress;
    draft.Subject = modelText(subjectEdit->text());
    for (const QString& line : RichEdit1->Lines())
        draft.Body.append(line.toUtf8());
    if (!AttEdit->text().isEmpty())
        draft.AttachmentFiles = {AttEdit->text()};
    if (store.CopySelf)
        draft.CopiesDirectory = store.CopySelfDir;
    return draft;
}

void TForm1::CancelBtnClick()
{
    msSMTP1->Cancel();
}
