#include "app/MailboxOpener.h"

#include "app/Commands.h"
#include "app/MailboxLink.h"
#include "app/StayOnTop.h"
#include "mailbox/MailboxWindow.h"

#include <QAction>

MailboxOpener::MailboxOpener(DocumentSession& session, ComposePanel& compose, StayOnTop& stayOnTop, QWidget& window,
                             ScreenScale scale)
    : QObject(&window), session(session), compose(compose), stayOnTop(stayOnTop), window(window), scale(scale)
{
    retrieveEmailCommand = newCommand(
        this, "RetreiveEmail1", "&Retrieve Email", [this] { openMailbox(); }, ctrlKey('R'));
}

// The mailbox window stays on top itself, so the main window gives way.
void MailboxOpener::openMailbox()
{
    auto* mailbox = new MailboxWindow(std::make_unique<MailboxLink>(session, compose, [this] { mailboxClosed(); }),
                                      &window);
    mailbox->resize(scale.pixels(452), scale.pixels(259));
    stayOnTop.suspend();
    mailbox->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    mailbox->show();
    retrieveEmailCommand->setEnabled(false);
    openWindow = mailbox;
}

void MailboxOpener::closeMailbox()
{
    if (openWindow)
        openWindow->close();
}

void MailboxOpener::mailboxClosed()
{
    retrieveEmailCommand->setEnabled(true);
    stayOnTop.resume();
}
