#pragma once
// The main window: the composition root of the editor. Its parts own the
// commands and their state; the window builds its menus and bars from the
// parts' actions, wires them together, and keeps start, close, Settings,
// help and About for itself.
#include "app/ScreenScale.h"
#include "app/StatusPanels.h"

#include <QMainWindow>
#include <QStringList>
#include <memory>

class ClockDates;
class ComposePanel;
class DiskChanges;
class DocumentSession;
class EditCommands;
class FindReplace;
class FormatCommands;
class CloseDuringSend;
class MailSender;
class MailboxOpener;
class PageLayout;
class RecoveryFiles;
class QAction;
class QMenu;
class QWidget;
class SizeLimit;
class StayOnTop;
class TRichEdit;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // arguments: the program's command-line arguments after the program name.
    explicit MainWindow(const QStringList& arguments = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Window state other windows read.
    float scaleFactor() const { return scale.factor; }
    bool stayOnTopActive() const;
    const QString& docName() const;
    bool newDocument() const;
    QString statusText(StatusPanel panel) const;
    // Offers back what a crashed or killed run left unsaved.
    void offerRecovery();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createParts();
    void buildMenus();
    void buildContextMenu();
    QWidget* buildToolbar();
    QWidget* buildFormatBar();
    void buildLayout();
    void wireParts();
    void start();
    void enableContextItems();
    void openSettings();
    void showHelp();
    void showAbout();
    void showDiagnostics();

    ScreenScale scale;
    QStringList commandLine;
    QString helpFile;
    bool shown = false;
    TRichEdit* editor;
    std::unique_ptr<StatusPanels> statusPanels;

    // The parts, each owning its commands.
    MailSender* mailSender = nullptr;
    DocumentSession* session = nullptr;
    SizeLimit* sizeLimit = nullptr;
    FormatCommands* format = nullptr;
    ComposePanel* compose = nullptr;
    CloseDuringSend* closeDuringSend = nullptr;
    EditCommands* edit = nullptr;
    FindReplace* findReplace = nullptr;
    ClockDates* clock = nullptr;
    PageLayout* pageLayout = nullptr;
    StayOnTop* stayOnTop = nullptr;
    MailboxOpener* mailbox = nullptr;
    RecoveryFiles* recovery = nullptr;
    DiskChanges* diskChanges = nullptr;

    // The window's own commands.
    QAction *exitAction = nullptr, *settingsAction = nullptr, *contentsAction = nullptr, *aboutAction = nullptr;
    QMenu* fileMenu = nullptr;
    QMenu* helpMenu = nullptr;
    QMenu* contextMenu = nullptr;
    // The context menu's items that go with the selection.
    QAction *popupCutAction = nullptr, *popupCopyAction = nullptr;
    QAction *popupBoldAction = nullptr, *popupUnderlineAction = nullptr, *popupItalicAction = nullptr;
};
