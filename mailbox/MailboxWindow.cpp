#include "mailbox/MailboxWindow.h"

#include "mailbox/EditorLink.h"
#include "mailbox/LocalStores.h"
#include "mailbox/MailRetrieval.h"
#include "mailbox/MailboxListing.h"
#include "mailbox/MessageViewer.h"

#include <QCloseEvent>

MailboxWindow::MailboxWindow(std::unique_ptr<TEditorLink> link, QWidget* owner)
    : QMainWindow(owner, Qt::Window), editor(std::move(link))
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Retreive Email Messages"));
    setAttribute(Qt::WA_DeleteOnClose);
    buildFrame();
    createParts();
    fillMenus();
    fillToolBar();
    fillContextMenu();
}

MailboxWindow::~MailboxWindow() = default;

void MailboxWindow::createParts()
{
    listing = std::make_unique<MailboxListing>(*editor, *messageList, panels, *this);
    commands = std::make_unique<MailboxCommands>(*this, *listing);
    retrieval = std::make_unique<MailRetrieval>(*listing, *commands, this);
    localStores = std::make_unique<LocalStores>(*listing, *commands, this);
    viewer = std::make_unique<MessageViewer>(*listing, *retrieval, *commands, this);
    createWindowCommands();
}

// Both are taken while a retrieval runs: that is when they are needed.
void MailboxWindow::createWindowCommands()
{
    const auto close = [this] { this->close(); };
    closeCommand.menuItem = commands->menuItem("Close1", QStringLiteral("&Close"), QStringLiteral("Close this window"),
                                               close, RunsWhen::Busy);
    closeCommand.toolButton = commands->toolButton("CloseButton",
                                                   QStringLiteral("Close this window and return to the Editor"),
                                                   QStyle::SP_DialogCloseButton, close, RunsWhen::Busy);
    const auto stop = [this] { listing->stop(); };
    stopCommand.menuItem = commands->menuItem("Stop1", QStringLiteral("S&top Retrieving"),
                                              QStringLiteral("Stop the retrieval under way"), stop, RunsWhen::Busy);
    stopCommand.toolButton = commands->toolButton("StopButton", QStringLiteral("Stop retrieving email"),
                                                  QStyle::SP_BrowserStop, stop, RunsWhen::Busy);
    stopCommand.setEnabled(false);
    connect(listing.get(), &MailboxListing::stoppableChanged, this,
            [this](bool stoppable) { stopCommand.setEnabled(stoppable); });
}

// A retrieval or listing under way is cancelled first; the window closes
// when it has unwound, never from inside one of its waits.
void MailboxWindow::closeEvent(QCloseEvent* event)
{
    if (listing->busy()) {
        listing->closeWhenIdle();
        listing->stop();
        event->ignore();
        return;
    }
    editor->MailboxClosed();
    event->accept();
}
