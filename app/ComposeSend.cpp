// Sending the document as e-mail: filling the window's message from the
// compose fields, the settings and the editor, handing it to the SMTP
// client, showing the client's events in the status bar, and the copy to self.
#include "app/MainU.h"

#include "app/SettingsStore.h"
#include "mail/msmsg.h"
#include "mail/msstore.h"
#include "net/mssmtp.h"
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
    msSMTP1->OnOpen = status(QStringLiteral("Opening connection"));
    msSMTP1->OnPrepare = status(QStringLiteral("Preparing message"));
    msSMTP1->OnSending = status(QStringLiteral("Sending message"));
    msSMTP1->OnClosing = status(QStringLiteral("Closing connection"));
    msSMTP1->OnClosed = status(QStringLiteral("Connection closed"));
    msSMTP1->OnCancel = status(QStringLiteral("Operation has been canceled"));
    msSMTP1->OnProgress = [this](QObject*, int perc, qint64) {
        setStatus(StatusPanel::State, QString::number(perc) + QStringLiteral(" %"));
    };
    msSMTP1->OnMailSent = [this](QObject*) {
        setStatus(StatusPanel::Font, QStringLiteral("Message has been sent"));
        setStatus(StatusPanel::State, QStringLiteral("Done"));
        QApplication::beep();
    };
    msSMTP1->OnError = [this](QObject*, QString& msg) { setStatus(StatusPanel::Font, msg); };
}

void TForm1::applyMailSettings()
{
    const TSettingsStore& store = AppSettings();
    msSMTP1->Server = store.SMTPServer;
    msMessage1->Sender().SetAddress(modelText(store.EmailAddress));
    msMessage1->Sender().SetName(modelText(store.UserName));
}

QString TForm1::getCopyFileName(const QString& directory)
{
    return MailStore::NextCopyToSelf(directory);
}

void TForm1::SendBtnClick()
{
    if (sending)
        return; // a second send on the same connection would corrupt both
    SendingFlag flag(sending);
    try {
        fillMessage();
        msSMTP1->Send();
        if (AppSettings().CopySelf)
            msMessage1->SaveToFile(getCopyFileName(AppSettings().CopySelfDir));
    } catch (...) {
        msMessage1->Clear();
        throw;
    }
    msMessage1->Clear();
}

void TForm1::fillMessage()
{
    const TSettingsStore& store = AppSettings();
    const QByteArray sender = modelText(store.EmailAddress);
    msMessage1->Sender().SetAddress(sender);
    msMessage1->Sender().SetName(modelText(store.UserName));
    msMessage1->Recipients().Clear();
    msMessage1->Recipients().AddAddress(toEdit->text().toUtf8(), QByteArray());
    msMessage1->SetReturnReceipt(store.ConfirmEmailReceipt);
    msMessage1->Headers().Add("Reply-To: " + sender);
    if (!eCC->text().isEmpty()) {
        msMessage1->CC().Clear();
        msMessage1->CC().AddAddress(eCC->text().toUtf8(), QByteArray());
    }
    msMessage1->SetSubject(modelText(subjectEdit->text()));
    TStringList body;
    for (const QString& line : RichEdit1->Lines())
        body.append(line.toUtf8());
    msMessage1->SetBody(body);
    if (!AttEdit->text().isEmpty())
        msMessage1->Attachments().AddFile(AttEdit->text());
}

void TForm1::CancelBtnClick()
{
    msSMTP1->Cancel();
}
