#pragma once
// Retrieve Email: opens the mailbox window, linked back to the document and
// the compose panel, and keeps a second one from opening while it is open.
#include "app/ScreenScale.h"

#include <QObject>

class ComposePanel;
class DocumentSession;
class QAction;
class QWidget;
class StayOnTop;

class MailboxOpener : public QObject {
    Q_OBJECT
public:
    // window: the mailbox window's owner.
    MailboxOpener(DocumentSession& session, ComposePanel& compose, StayOnTop& stayOnTop, QWidget& window,
                  ScreenScale scale);

    QAction* retrieveEmailAction() const { return retrieveEmailCommand; }

private:
    void openMailbox();
    void mailboxClosed();

    DocumentSession& session;
    ComposePanel& compose;
    StayOnTop& stayOnTop;
    QWidget& window;
    ScreenScale scale;
    QAction* retrieveEmailCommand;
};
