#include "mailbox/LocalStores.h"

#include "mail/store/store_listing.h"
#include "mailbox/MailboxListing.h"
#include "toolkit/Pump.h"
#include "toolkit/gui/Prompter.h"

#include <QAction>

LocalStores::LocalStores(MailboxListing& shownListing, MailboxCommands& commands, QObject* owner)
    : QObject(owner), listing(shownListing)
{
    const auto listSavedMail = [this] { listStore(Listing::SavedMail); };
    savedMail.menuItem = commands.menuItem(
        "ViewSavedMail1", QStringLiteral("Retrieve Saved &Mail"),
        QStringLiteral("Retrieve email messages saved in the current Email Directory "), listSavedMail);
    savedMail.toolButton = commands.toolButton("SavedMailButton", QStringLiteral("Retrieve saved email "),
                                               QStyle::SP_DirOpenIcon, listSavedMail);
    const auto listCopies = [this] { listStore(Listing::Copies); };
    copies.menuItem = commands.menuItem("RetrieveCopiestoSelf1", QStringLiteral("Retrieve &Copies to Self"),
                                        QStringLiteral("Retrieve and view copies to self of email sent"), listCopies);
    copies.toolButton = commands.toolButton("CopiesButton", QStringLiteral("Retrieve copies to self"),
                                            QStyle::SP_DirHomeIcon, listCopies);
    const auto deleteHandler = [this] { deleteMessage(); };
    deletion.menuItem = commands.menuItem("DeleteSelectedMessage1", QStringLiteral("&Delete Selected Message"), {},
                                          deleteHandler);
    deletion.toolButton = commands.toolButton("DeleteButton",
                                              QStringLiteral("Delete the selected message from local folder"),
                                              QStyle::SP_TrashIcon, deleteHandler);
    deletion.contextItem = commands.contextItem("DeleteMessage1", QStringLiteral("Delete Message"),
                                                QStringLiteral("Delete the Selected Message From Local Folder"),
                                                deletion.menuItem, deleteHandler);
    deletion.setEnabled(false); // nothing is listed yet
    connect(&listing, &MailboxListing::listingShown, this, &LocalStores::showListing);
}

void LocalStores::listStore(Listing store)
{
    const bool listsCopies = store == Listing::Copies;
    listing.startRows(listsCopies ? QStringLiteral("To:") : QStringLiteral("From:"));
    const LocalStore where = LocalStoreOf(store, listing.settings());
    listing.runBusy([&] {
        TThrottledPump pump(50);
        const std::optional<qint64> rows = MailStore::ListStore(
            where.directory, *where.kind, [&](const MailStore::TListedMessage& message) {
                listing.addRow(listsCopies ? message.to : message.from, message.subject);
                pump.Tick();
            });
        if (!rows) {
            MessageDlg(listsCopies ? QStringLiteral("There are no saved email messages in the CopyToSelf directory")
                                   : QStringLiteral("There are no saved email messages in the email directory"),
                       mtWarning, mbOK);
            return;
        }
        listing.setListedCount(int(*rows));
        listing.setPanel(0, QStringLiteral("Messages: %1").arg(listing.listedCount()));
        listing.show(store);
    });
}

void LocalStores::deleteMessage()
{
    const int row = listing.selectedRow();
    if (row < 0 || !listing.showsLocalStore())
        return;
    const Listing store = listing.shown();
    const LocalStore where = LocalStoreOf(store, listing.settings());
    MailStore::DeleteMessageFile(where.directory, *where.kind, row);
    listStore(store);
}

void LocalStores::showListing(Listing shown)
{
    savedMail.setEnabled(shown != Listing::SavedMail);
    copies.menuItem->setEnabled(shown != Listing::Copies);
    // Listing the server's mail leaves the tool button as it was.
    if (shown != Listing::Server)
        copies.toolButton->setEnabled(shown != Listing::Copies);
    deletion.setEnabled(shown != Listing::Server);
}
