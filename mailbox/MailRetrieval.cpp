#include "mailbox/MailRetrieval.h"

#include "mail/headers/header_fields.h"
#include "mail/model/message.h"
#include "mail/store/mail_store.h"
#include "mailbox/MailboxListing.h"
#include "mailbox/UnencryptedLoginPrompt.h"
#include "net/pop3/retrieve_to_store.h"
#include "net/pop3/seen_ids.h"
#include "toolkit/Exception.h"
#include "toolkit/gui/Prompter.h"

#include <QAction>

MailRetrieval::MailRetrieval(MailboxListing& shownListing, MailboxCommands& commands, QObject* owner)
    : QObject(owner), listing(shownListing)
{
    createClient();
    const auto retrieveHandler = [this] { retrieveMail(); };
    retrieve.menuItem = commands.menuItem(
        "Retreive1", QStringLiteral("&Retrieve From Server"),
        QStringLiteral("Retrieve email from the POP3 server named in Options/Settings"), retrieveHandler);
    retrieve.toolButton = commands.toolButton("DownloadButton", QStringLiteral("Download email from your server"),
                                              QStyle::SP_ArrowDown, retrieveHandler);
    const auto saveHandler = [this] { saveMessage(); };
    save.menuItem = commands.menuItem("Save1", QStringLiteral("&Save Selected Message"),
                                      QStringLiteral("Save selected email message to default email directory"),
                                      saveHandler);
    save.toolButton = commands.toolButton("SaveButton", QStringLiteral("Save selected message"),
                                          QStyle::SP_DialogSaveButton, saveHandler);
    save.contextItem = commands.contextItem("SaveMessage1", QStringLiteral("Save Message"),
                                            QStringLiteral("Save Selected Message to Email Folder"), save.menuItem,
                                            saveHandler);
    save.setEnabled(false); // nothing is listed yet
    connect(&listing, &MailboxListing::listingShown, this, &MailRetrieval::showListing);
}

void MailRetrieval::createClient()
{
    pop3Client = new TmsStoringPOP(this);
    pop3Client->setObjectName(QStringLiteral("msPOP1"));
    pop3Client->OnRetrieving = [this](QObject*, int) {
        listing.showProgress(0, QStringLiteral("Retrieving Messages..."));
    };
    pop3Client->OnRetrieved = [this](QObject*, int) { messageRetrieved(); };
    pop3Client->OnDeleting = [this](QObject*, int) {
        listing.showProgress(0, QStringLiteral("Deleting from server.."));
    };
    TrkSessionListeners listeners;
    listeners.OnProgress = [this](QObject*, int percent, qint64) {
        listing.showProgress(1, QString::number(percent) + QStringLiteral(" %"));
    };
    listeners.OnClosed = [this](QObject*) { connectionClosed(); };
    pop3Client->SetListeners(listeners);
    pop3Client->OnMessageError = [this](QObject*, int, const QString& text) { skippedMessages.append(text); };
    AskBeforeUnencryptedLogin(*pop3Client);
}

TmsCustomMessage& MailRetrieval::message(int row) const
{
    return pop3Client->MessageList->Items(row);
}

QString MailRetrieval::storedFile(int row) const
{
    return pop3Client->StoredFile(row);
}

void MailRetrieval::cancel()
{
    pop3Client->Cancel();
}

void MailRetrieval::retrieveMail()
{
    listing.startRows(QStringLiteral("From:"));
    const TMailSettings mail = listing.settings();
    TrkSessionOptions options = pop3Client->Options();
    options.Server = mail.POP3Server;
    options.Security = mail.POP3Security;
    pop3Client->SetOptions(options);
    pop3Client->UserName = mail.POP3Login;
    pop3Client->Password = mail.Password;
    pop3Client->SeenIdsFile = SeenIdsPath(mail.POP3Server, mail.POP3Login);
    const auto stoppable = listing.stoppableBy([this] { cancel(); });
    listing.runBusy([&] {
        skippedMessages.clear();
        try {
            pop3Client->RetrieveMailbox(
                mail.KeepMailOnServer ? TmsAfterRetrieve::LeaveOnServer : TmsAfterRetrieve::Delete, mail.SavedEmail);
        } catch (const Exception&) {
            if (listing.closeRequested())
                return; // the user closed the window: the cancel is no news
            throw;
        }
        listing.show(Listing::Server);
        // A message the server refused is not lost, but the user should know
        // it was not fetched or will come again.
        if (!skippedMessages.isEmpty())
            MessageDlg(skippedMessages.join(QLatin1Char('\n')), mtWarning, mbOK);
    });
}

void MailRetrieval::messageRetrieved()
{
    const TmsHeaders& headers = message(int(pop3Client->MessageList->Count() - 1)).Headers();
    listing.addRow(GetHeaderField(headers, "From"), GetHeaderField(headers, "Subject"));
}

void MailRetrieval::connectionClosed()
{
    listing.setListedCount(int(pop3Client->MessageList->Count()));
    listing.setPanel(0, QStringLiteral("Messages: %1").arg(listing.listedCount()));
    listing.setPanel(1, QStringLiteral("Done"));
    if (pop3Client->StoredCount() > 0)
        listing.setPanel(2, QStringLiteral("Saved: %1").arg(pop3Client->StoredCount()));
    if (listing.listedCount() > 0) {
        save.menuItem->setEnabled(true);
        emit messagesListed();
    }
}

// A message already stored on its way from the server is not stored twice;
// one held in memory is stored as the server sent it.
void MailRetrieval::saveMessage()
{
    const int row = listing.selectedRow();
    if (row < 0 || listing.showsLocalStore())
        return;
    if (pop3Client->StoredFile(row).isEmpty())
        MailStore::WriteMessageFile(listing.settings().SavedEmail, MailStore::SavedMail, message(row));
    listing.setPanel(2, QStringLiteral("Message Saved"));
}

void MailRetrieval::showListing(Listing shown)
{
    const bool server = shown == Listing::Server;
    retrieve.setEnabled(!server);
    save.menuItem->setEnabled(server && listing.listedCount() > 0);
    save.toolButton->setEnabled(server);
}
