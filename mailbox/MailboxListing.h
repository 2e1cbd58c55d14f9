#pragma once
// What the mailbox window's parts share: the list of messages with its
// status panels, which mail it lists and how many rows, and whether a
// retrieval or listing is running, during which the commands wait.
#include "mailbox/EditorLink.h"

#include <QList>
#include <QObject>
#include <QScopeGuard>
#include <functional>

class QByteArray;
class QLabel;
class QTreeWidget;
class QWidget;
class TViewUpdates;
namespace MailStore {
struct TStoreKind;
}

enum class Listing { Server, SavedMail, Copies };

// Where the messages of a local listing are kept.
struct LocalStore {
    QString directory;
    const MailStore::TStoreKind* kind;
};
LocalStore LocalStoreOf(Listing listing, const TMailSettings& mail);

class MailboxListing : public QObject {
    Q_OBJECT
public:
    MailboxListing(TEditorLink& editor, QTreeWidget& list, QList<QLabel*> panels, QWidget& window);

    TEditorLink& editor() const { return editorLink; }
    QTreeWidget& list() const { return messageList; }
    // Read anew for every command, as the settings dialog may change them.
    TMailSettings settings() const { return editorLink.MailSettings(); }

    Listing shown() const { return listing; }
    bool showsLocalStore() const { return listing != Listing::Server; }
    // The file of a row of the local store shown.
    QString localFile(int row) const;
    int listedCount() const { return rowCount; }
    void setListedCount(int count) { rowCount = count; }
    // The listing is in place: each part sets its commands for it.
    void show(Listing shownListing);

    int selectedRow() const; // -1: none
    // Empties the list for a new listing whose first column shows header.
    void startRows(const QString& header);
    void addRow(const QByteArray& first, const QByteArray& subject);
    void setPanel(int panel, const QString& text);
    void showProgress(int panel, const QString& text);

    bool busy() const { return running; }
    // Runs the work as busy, with the hourglass over the list; a close asked
    // for meanwhile happens once it has ended on any path.
    void runBusy(const std::function<void()>& work);
    // Until the guard it returns goes, stop() cancels the work through
    // cancel; the user's stop ends it quietly, keeping what it reached.
    [[nodiscard]] QScopeGuard<std::function<void()>> stoppableBy(const std::function<void()>& cancel);
    void stop();
    void closeWhenIdle() { closeAsked = true; }
    bool closeRequested() const { return closeAsked; }

signals:
    void listingShown(Listing shownListing);
    // Work that can be stopped has started (true) or ended.
    void stoppableChanged(bool stoppable);

private:
    TEditorLink& editorLink;
    QTreeWidget& messageList;
    QList<QLabel*> panels;
    QWidget& window;
    TViewUpdates* updates; // rows and progress during a retrieval or listing
    Listing listing = Listing::Server;
    int rowCount = 0;
    bool running = false;
    bool closeAsked = false;
    std::function<void()> cancelWork; // set while stoppable work runs
    bool stopAsked = false;
};
