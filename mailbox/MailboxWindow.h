#pragma once
// The mailbox window: retrieves mail from the POP3 server named in the
// settings, lists it, keeps chosen messages in the saved-mail store, lists
// the saved mail and the copies to self, and shows, answers and forwards
// messages in the editor window that opened it. It deletes itself on close.
// Its parts own the commands; the window lays them out.
#include "mailbox/MailboxCommands.h"

#include <QMainWindow>
#include <memory>

class QLabel;
class QMenu;
class QToolBar;
class QTreeWidget;
class LocalStores;
class MailRetrieval;
class MailboxListing;
class MessageViewer;
class TEditorLink;

class MailboxWindow : public QMainWindow {
    Q_OBJECT
public:
    // The window keeps the link to its editor window for its whole life.
    MailboxWindow(std::unique_ptr<TEditorLink> editor, QWidget* owner);
    ~MailboxWindow() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildFrame();
    void buildStatusBar();
    void buildList();
    void createParts();
    void createWindowCommands();
    void fillMenus();
    void fillToolBar();
    void fillContextMenu();

    std::unique_ptr<TEditorLink> editor;
    QMenu* fileMenu = nullptr;
    QMenu* messagesMenu = nullptr;
    QToolBar* toolBar = nullptr;
    QMenu* contextMenu = nullptr;
    QList<QLabel*> panels;
    QTreeWidget* messageList = nullptr;

    // Held here so the parts go before the listing they report to.
    std::unique_ptr<MailboxListing> listing;
    std::unique_ptr<MailboxCommands> commands;
    std::unique_ptr<MailRetrieval> retrieval;
    std::unique_ptr<LocalStores> localStores;
    std::unique_ptr<MessageViewer> viewer;
    MailboxCommand closeCommand;
    MailboxCommand stopCommand; // enabled while a retrieval runs
};
