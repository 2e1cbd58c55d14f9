#pragma once
// The mailbox window TForm3: retrieves mail from the POP3 server named in the
// settings, lists it, keeps chosen messages in the saved-mail store, lists
// the saved mail and the copies to self, and shows, answers and forwards
// messages in the editor window that opened it. It deletes itself on close.
#include <QMainWindow>
#include <QStringList>
#include <memory>

class QAction;
class QLabel;
class QMenu;
class QStatusBar;
class QToolBar;
class QTreeWidget;
class TEditorLink;
class TViewUpdates;
class TmsCustomMessage;
class TmsMessage;
class TmsStoringPOP;
struct TMailSettings;
namespace MailStore { struct TStoreKind; }

class TForm3 : public QMainWindow {
    Q_OBJECT
public:
    // The window keeps the link to its editor window for its whole life.
    TForm3(std::unique_ptr<TEditorLink> editor, QWidget* owner);
    ~TForm3() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    enum class Listing { Server, SavedMail, Copies };

    // Building the controls.
    void buildMenus();
    void buildToolBar();
    void buildPopupMenu();
    void buildStatusBar();
    void buildList();
    void createMailComponents();
    template <class Handler>
    QAction* command(const char* name, const QString& caption, const QString& hint, Handler handler);

    // Retrieval and the local stores.
    void Close1Click();
    void Retreive1Click();
    void Save1Click();
    void ViewSavedMail1Click();
    void RetrieveCopiestoSelf1Click();
    void DeleteSelectedMessage1Click();
    void msPOP1Retrieved();
    void msPOP1Closed();
    void listStore(Listing listing);
    void applyState(Listing listing);
    void FormClose();

    // Viewing and answering.
    void View1Click();
    void ListView1Click();
    void ListView1DblClick();
    void ViewSelectedMessage1Click();
    void Reply1Click();
    void Forward1Click();
    void ExecuteAttachment1Click();
    void PopupMenu1Popup();
    void answer(const QString& mark);
    void showSummary(int row, TmsCustomMessage& message);
    TmsCustomMessage& messageOfRow(int row);
    QString localFile(int row) const;
    QString writeScratchCopy(int row);

    int selectedRow() const;
    void addRow(const QByteArray& first, const QByteArray& subject);
    void setPanel(int panel, const QString& text);
    void showProgress(int panel, const QString& text);
    TMailSettings settings() const;

    std::unique_ptr<TEditorLink> editor;
    bool showingLocal = false;
    bool localIsCopies = false;
    int listedCount = 0;
    QStringList skippedMessages;   // the server's refusals of single messages in this retrieval
    bool busy = false;            // a retrieval or listing is running
    bool closeRequested = false;  // closing waits for it to end

    TmsStoringPOP* msPOP1 = nullptr;
    TmsMessage* msMessage1 = nullptr;
    QTreeWidget* ListView1 = nullptr;
    TViewUpdates* updates = nullptr; // rows and progress during a retrieval or listing
    QStatusBar* MsgListStatus = nullptr;
    QList<QLabel*> panels;
    QToolBar* ToolBar1 = nullptr;
    QMenu* PopupMenu1 = nullptr;

    // Menu items.
    QAction *Close1, *Retreive1, *Save1, *ViewSavedMail1, *RetrieveCopiestoSelf1, *View1, *Reply1, *Forward1,
        *DeleteSelectedMessage1, *ViewSelectedMessage1, *ExecuteAttachment1;
    // Tool buttons, named after what they carry.
    QAction *DownloadButton, *SaveButton, *SavedMailButton, *CopiesButton, *ViewButton, *ReplyButton,
        *ForwardButton, *DeleteButton, *ExecuteButton, *CloseButton;
    // Context menu items and the menu items they mirror.
    QList<std::pair<QAction*, QAction*>> popupTwins;
};
