#include "app/MailboxCommand.h"

#include "app/Commands.h"
#include "app/MailboxLink.h"
#include "app/StayOnTop.h"
#include "mailbox/MsgList.h"

#include <QAction>

MailboxCommand::MailboxCommand(DocumentSession& session, ComposePanel& compose, StayOnTop& stayOnTop,
                               QWidget& window, ScreenScale scale)
    : QObject(&window), session(session), compose(compose), stayOnTop(stayOnTop), window(window), scale(scale)
{
    retrieveEmailCommand =
        newCommand(this, "RetreiveEmail1", "&Retrieve Email", [this] { openMailbox(); }, ctrlKey('R'));
}

// The mailbox window stays on top itself, so the main window gives way.
void MailboxCommand::openMailbox()
{
    auto* mailbox = new TForm3(std::make_unique<MailboxLink>(session, compose, [this] { mailboxClosed(); }), &window);
    mailbox->resize(scale.pixels(452), scale.pixels(259));
    stayOnTop.suspend();
    mailbox->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    mailbox->show();
    retrieveEmailCommand->setEnabled(false);
}

void MailboxCommand::mailboxClosed()
{
    retrieveEmailCommand->setEnabled(true);
    stayOnTop.resume();
}
