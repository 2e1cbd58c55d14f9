// Retrieving from the server, saving, and listing and deleting in the local
// stores.
#include "mailbox/MsgList.h"

#include "mail/model/message.h"
#include "mail/headers/header_fields.h"
#include "mail/store/store_listing.h"
#include "mailbox/EditorLink.h"
#include "mailbox/ViewUpdates.h"
#include "net/pop3/retrieve_to_store.h"
#include "net/pop3/seen_ids.h"
#include "toolkit/Pump.h"
#include "toolkit/gui/Prompter.h"

#include <QLabel>
#include <QScopeGuard>
#include <QTimer>
#include <QTreeWidget>

namespace {

// Marks the window busy and shows the hourglass over the list until the
// work ends on any path, with every row and text held for the screen shown;
// a close asked for meanwhile happens then.
auto busyScope(QWidget* window, QWidget* list, TViewUpdates* updates, bool& busy, const bool& closeRequested)
{
    busy = true;
    list->setCursor(Qt::WaitCursor);
    return qScopeGuard([window, list, updates, &busy, &closeRequested] {
        updates->Flush();
        list->unsetCursor();
        busy = false;
        if (closeRequested)
            QTimer::singleShot(0, window, &QWidget::close);
    });
}

} // namespace

void TForm3::Retreive1Click()
{
    ListView1->clear();
    ListView1->headerItem()->setText(0, QStringLiteral("From:"));
    const TMailSettings mail = settings();
    TrkSessionOptions options = msPOP1->Options();
    options.Server = mail.POP3Server;
    options.Security = mail.POP3Security;
    msPOP1->SetOptions(options);
    msPOP1->UserName = mail.POP3Login;
    msPOP1->Password = mail.Password;
    msPOP1->SeenIdsFile = SeenIdsPath(mail.POP3Server, mail.POP3Login);
    auto scope = busyScope(this, ListView1, updates, busy, closeRequested);
    skippedMessages.clear();
    try {
        msPOP1->RetrieveMailbox(mail.DeleteFromServer ? TmsAfterRetrieve::LeaveOnServer : TmsAfterRetrieve::Delete,
                                mail.SavedEmail);
    } catch (const Exception&) {
        if (closeRequested)
            return; // the user closed the window: the cancel is no news
        throw;
    }
    applyState(Listing::Server);
    // A message the server refused is not lost, but the user should know it
    // was not fetched or will come again.
    if (!skippedMessages.isEmpty())
        MessageDlg(skippedMessages.join(QLatin1Char('\n')), mtWarning, mbOK);
}

void TForm3::msPOP1Retrieved()
{
    const TmsHeaders& headers = msPOP1->MessageList->Items(msPOP1->MessageList->Count() - 1).Headers();
    addRow(GetHeaderField(headers, "From"), GetHeaderField(headers, "Subject"));
}

void TForm3::msPOP1Closed()
{
    listedCount = int(msPOP1->MessageList->Count());
    setPanel(0, QStringLiteral("Messages: %1").arg(listedCount));
    setPanel(1, QStringLiteral("Done"));
    if (msPOP1->StoredCount() > 0)
        setPanel(2, QStringLiteral("Saved: %1").arg(msPOP1->StoredCount()));
    if (listedCount > 0)
        for (QAction* action : {View1, Save1, ViewSelectedMessage1, Reply1, Forward1})
            action->setEnabled(true);
}

// A message already stored on its way from the server is not stored twice.
void TForm3::Save1Click()
{
    const int row = selectedRow();
    if (row < 0 || showingLocal)
        return;
    if (msPOP1->StoredFile(row).isEmpty())
        MailStore::WriteMessageFile(settings().SavedEmail, MailStore::SavedMail, msPOP1->MessageList->Items(row));
    setPanel(2, QStringLiteral("Message Saved"));
}

void TForm3::ViewSavedMail1Click()
{
    listStore(Listing::SavedMail);
}

void TForm3::RetrieveCopiestoSelf1Click()
{
    listStore(Listing::Copies);
}

void TForm3::listStore(Listing listing)
{
    const bool copies = listing == Listing::Copies;
    ListView1->clear();
    ListView1->headerItem()->setText(0, copies ? QStringLiteral("To:") : QStringLiteral("From:"));
    const TMailSettings mail = settings();
    auto scope = busyScope(this, ListView1, updates, busy, closeRequested);
    TThrottledPump pump(50);
    const std::optional<qint64> rows = MailStore::ListStore(
        copies ? mail.CopySelfDir : mail.SavedEmail, copies ? MailStore::CopiesToSelf : MailStore::SavedMail,
        [&](const MailStore::TListedMessage& message) {
            addRow(copies ? message.to : message.from, message.subject);
            pump.Tick();
        });
    if (!rows) {
        MessageDlg(copies ? QStringLiteral("There are no saved email messages in the CopyToSelf directory")
                          : QStringLiteral("There are no saved email messages in the email directory"),
                   mtWarning, mbOK);
        return;
    }
    listedCount = int(*rows);
    setPanel(0, QStringLiteral("Messages: %1").arg(listedCount));
    applyState(listing);
}

void TForm3::DeleteSelectedMessage1Click()
{
    const int row = selectedRow();
    if (row < 0 || !showingLocal)
        return;
    const TMailSettings mail = settings();
    if (localIsCopies)
        MailStore::DeleteMessageFile(mail.CopySelfDir, MailStore::CopiesToSelf, row);
    else
        MailStore::DeleteMessageFile(mail.SavedEmail, MailStore::SavedMail, row);
    listStore(localIsCopies ? Listing::Copies : Listing::SavedMail);
}
