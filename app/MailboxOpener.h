#pragma once
// Retrieve Email: opens the mailbox window, linked back to the document and
// the compose panel, and keeps a second one from opening while it is open.
#include "app/ScreenScale.h"

#include <QObject>
#include <QPointer>

class ComposePanel;
class DocumentSession;
class QAction;
class MailboxWindow;
class QWidget;
class StayOnTop;

class MailboxOpener : public QObject {
    Q_OBJECT
public:
    // window: the mailbox window's owner.
    MailboxOpener(DocumentSession& session, ComposePanel& compose, StayOnTop& stayOnTop, QWidget& window,
                  ScreenScale scale);

    QAction* retrieveEmailAction() const { return retrieveEmailCommand; }
    // The editor is closing: an open mailbox window closes too, cancelling
    // its retrieval, or the program would wait on the server unseen.
    void closeMailbox();

private:
    void openMailbox();
    void mailboxClosed();

    DocumentSession& session;
    ComposePanel& compose;
    StayOnTop& stayOnTop;
    QWidget& window;
    ScreenScale scale;
    QAction* retrieveEmailCommand;
    QPointer<MailboxWindow> openWindow;
};
