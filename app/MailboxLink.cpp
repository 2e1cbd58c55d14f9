// Opening the mailbox window, and what it asks of the main window while it is
// open: the mail settings, the document, the compose fields, and its closing.
#include "app/MainWindow.h"

#include "app/SettingsStore.h"
#include "mailbox/EditorLink.h"
#include "mailbox/MsgList.h"
#include "toolkit/gui/RichEdit.h"

#include <QAction>
#include <QLineEdit>

class TMailboxLink : public TEditorLink {
public:
    explicit TMailboxLink(MainWindow& window) : form(window) {}

    TMailSettings MailSettings() const override
    {
        const TSettingsStore& store = AppSettings();
        return {store.POP3Server, store.POP3Login,   store.Password, store.DeleteFromServer,
                store.SavedEmail, store.CopySelfDir, store.UserName, store.EmailAddress,
                store.POP3Security};
    }

    void ShowDocument(const QString& text, const QString& docName) override
    {
        form.RichEdit1->SetText(text);
        form.RichEdit1->SetSelStart(0);
        form.RichEdit1->SetModified(false);
        form.documentName = docName;
        form.upDateStatusBar();
    }

    void StartMessage() override { form.SendEmail1Click(); }
    void SetRecipient(const QString& address) override { form.toEdit->setText(address); }
    void SetSubject(const QString& subject) override { form.subjectEdit->setText(subject); }
    void FocusRecipient() override { form.toEdit->setFocus(); }

    void MailboxClosed() override
    {
        form.RetreiveEmail1->setEnabled(true);
        form.StayOnTop1->setEnabled(true);
        if (form.onTop) {
            form.setWindowFlag(Qt::WindowStaysOnTopHint, true);
            form.show(); // changing the stacking flag hides the window
            form.StayOnTop1->setChecked(true);
        }
    }

private:
    MainWindow& form;
};

void MainWindow::RetreiveEmail1Click()
{
    auto* mailbox = new TForm3(std::make_unique<TMailboxLink>(*this), this);
    mailbox->resize(scaled(452), scaled(259));
    if (onTop) {
        setWindowFlag(Qt::WindowStaysOnTopHint, false);
        show();
    }
    mailbox->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    mailbox->show();
    StayOnTop1->setEnabled(false);
    RetreiveEmail1->setEnabled(false);
}
