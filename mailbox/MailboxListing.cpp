#include "mailbox/MailboxListing.h"

#include "mail/store/store_listing.h"
#include "mail/text/bidirectional.h"
#include "mailbox/ViewUpdates.h"
#include "net/session/events.h"

#include <QLabel>
#include <QTimer>
#include <QTreeWidget>

namespace {

// A mark that reorders text, in a name or subject from mail, would flip what
// follows it ("Ann <RLO>gnp.exe") and spill into the next column: it is left out.
QString withoutBidirectionalControls(const QByteArray& text)
{
    QString shown = QString::fromUtf8(text);
    shown.removeIf([](QChar c) { return IsBidirectionalControl(c.unicode()); });
    return shown;
}

} // namespace

LocalStore LocalStoreOf(Listing listing, const TMailSettings& mail)
{
    if (listing == Listing::Copies)
        return {mail.CopySelfDir, &MailStore::CopiesToSelf};
    return {mail.SavedEmail, &MailStore::SavedMail};
}

MailboxListing::MailboxListing(TEditorLink& editor, QTreeWidget& shownList, QList<QLabel*> statusPanels, QWidget& owner)
    : QObject(&owner),
      editorLink(editor),
      messageList(shownList),
      panels(std::move(statusPanels)),
      window(owner),
      updates(new TViewUpdates(&shownList, 50, this))
{
}

QString MailboxListing::localFile(int row) const
{
    const LocalStore store = LocalStoreOf(listing, settings());
    return MailStore::MessageFile(store.directory, *store.kind, row);
}

void MailboxListing::show(Listing shownListing)
{
    listing = shownListing;
    emit listingShown(shownListing);
}

int MailboxListing::selectedRow() const
{
    const QList<QTreeWidgetItem*> selected = messageList.selectedItems();
    return selected.isEmpty() ? -1 : messageList.indexOfTopLevelItem(selected.first());
}

void MailboxListing::startRows(const QString& header)
{
    messageList.clear();
    messageList.headerItem()->setText(0, header);
}

void MailboxListing::addRow(const QByteArray& first, const QByteArray& subject)
{
    updates->AddRow(withoutBidirectionalControls(first), withoutBidirectionalControls(subject));
}

// What is held shows first, so an older text cannot replace this one later.
void MailboxListing::setPanel(int panel, const QString& text)
{
    updates->Flush();
    panels.at(panel)->setText(text);
}

void MailboxListing::showProgress(int panel, const QString& text)
{
    updates->SetText(panels.at(panel), text);
}

// Every row and text held for the screen shows when the work ends.
void MailboxListing::runBusy(const std::function<void()>& work)
{
    running = true;
    messageList.setCursor(Qt::WaitCursor);
    const auto idle = qScopeGuard([this] {
        updates->Flush();
        messageList.unsetCursor();
        running = false;
        // Never from inside the work's waits: the window closes once they have unwound.
        if (closeAsked)
            QTimer::singleShot(0, &window, &QWidget::close);
    });
    try {
        work();
    } catch (const ECanceledError&) {
        if (!stopAsked)
            throw;
        setPanel(1, QStringLiteral("Stopped"));
    }
}

QScopeGuard<std::function<void()>> MailboxListing::stoppableBy(const std::function<void()>& cancel)
{
    cancelWork = cancel;
    emit stoppableChanged(true);
    return QScopeGuard<std::function<void()>>([this] {
        cancelWork = nullptr;
        stopAsked = false;
        emit stoppableChanged(false);
    });
}

void MailboxListing::stop()
{
    if (!cancelWork)
        return;
    stopAsked = true;
    cancelWork();
}
