// The mailbox window: its components, the enabled state of its commands for
// each listing, and closing.
#include "mailbox/MsgList.h"

#include "mail/model/message.h"
#include "mailbox/EditorLink.h"
#include "mailbox/ViewUpdates.h"
#include "net/pop3/retrieve_to_store.h"

#include <QCloseEvent>
#include <QLabel>
#include <QTimer>
#include <QTreeWidget>

TForm3::TForm3(std::unique_ptr<TEditorLink> link, QWidget* owner)
    : QMainWindow(owner, Qt::Window), editor(std::move(link))
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Retreive Email Messages"));
    setAttribute(Qt::WA_DeleteOnClose);
    createMailComponents();
    buildMenus();
    buildToolBar();
    buildPopupMenu();
    buildStatusBar();
    buildList();
    updates = new TViewUpdates(ListView1, 50, this);
    // Nothing is listed yet, so nothing can be acted on.
    for (QAction* action : {View1, Save1, ViewSelectedMessage1, DeleteSelectedMessage1, ExecuteAttachment1, Reply1,
                            Forward1, ViewButton, SaveButton, ReplyButton, ForwardButton, DeleteButton, ExecuteButton})
        action->setEnabled(false);
}

TForm3::~TForm3() = default;

void TForm3::createMailComponents()
{
    msPOP1 = new TmsStoringPOP(this);
    msPOP1->setObjectName(QStringLiteral("msPOP1"));
    msPOP1->OnRetrieving = [this](QObject*, int) { showProgress(0, QStringLiteral("Retrieving Messages...")); };
    msPOP1->OnRetrieved = [this](QObject*, int) { msPOP1Retrieved(); };
    msPOP1->OnDeleting = [this](QObject*, int) { showProgress(0, QStringLiteral("Deleting from server..")); };
    TrkSessionListeners listeners;
    listeners.OnProgress = [this](QObject*, int percent, qint64) {
        showProgress(1, QString::number(percent) + QStringLiteral(" %"));
    };
    listeners.OnClosed = [this](QObject*) { msPOP1Closed(); };
    msPOP1->SetListeners(listeners);
    msPOP1->OnMessageError = [this](QObject*, int, const QString& msg) { skippedMessages.append(msg); };
    msMessage1 = new TmsMessage(this);
    msMessage1->setObjectName(QStringLiteral("msMessage1"));
    msMessage1->SetContentType("text/plain");
}

TMailSettings TForm3::settings() const
{
    return editor->MailSettings();
}

void TForm3::Close1Click()
{
    close();
}

// A retrieval or listing under way is cancelled first; the window closes
// when it has unwound, never from inside one of its waits.
void TForm3::closeEvent(QCloseEvent* event)
{
    if (busy) {
        closeRequested = true;
        msPOP1->Cancel();
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

void TForm3::FormClose()
{
    editor->MailboxClosed();
}

void TForm3::applyState(Listing listing)
{
    const bool server = listing == Listing::Server;
    const bool saved = listing == Listing::SavedMail;
    const bool copies = listing == Listing::Copies;
    const bool fetched = !server || listedCount > 0;
    for (QAction* action : {Retreive1, DownloadButton})
        action->setEnabled(!server);
    ViewSavedMail1->setEnabled(!saved);
    SavedMailButton->setEnabled(!saved);
    RetrieveCopiestoSelf1->setEnabled(!copies);
    if (!server)
        CopiesButton->setEnabled(!copies);
    Save1->setEnabled(server && fetched);
    SaveButton->setEnabled(server);
    View1->setEnabled(fetched);
    ViewSelectedMessage1->setEnabled(fetched);
    ViewButton->setEnabled(true);
    for (QAction* action : {Reply1, ReplyButton, Forward1, ForwardButton})
        action->setEnabled(!copies);
    for (QAction* action : {DeleteSelectedMessage1, DeleteButton})
        action->setEnabled(!server);
    showingLocal = !server;
    if (!server)
        localIsCopies = copies;
}

void TForm3::PopupMenu1Popup()
{
    for (const auto& [item, twin] : popupTwins)
        item->setEnabled(twin->isEnabled());
}

int TForm3::selectedRow() const
{
    const QList<QTreeWidgetItem*> selected = ListView1->selectedItems();
    return selected.isEmpty() ? -1 : ListView1->indexOfTopLevelItem(selected.first());
}

void TForm3::addRow(const QByteArray& first, const QByteArray& subject)
{
    updates->AddRow(QString::fromUtf8(first), QString::fromUtf8(subject));
}

// What is held shows first, so an older text cannot replace this one later.
void TForm3::setPanel(int panel, const QString& text)
{
    updates->Flush();
    panels.at(panel)->setText(text);
}

void TForm3::showProgress(int panel, const QString& text)
{
    updates->SetText(panels.at(panel), text);
}
