#include "app/MainWindow.h"

#include "app/AboutBox.h"
#include "app/BarControls.h"
#include "app/ClockDates.h"
#include "app/CloseDuringSend.h"
#include "app/Commands.h"
#include "app/ComposePanel.h"
#include "app/DiskChanges.h"
#include "app/DocumentSession.h"
#include "app/EditCommands.h"
#include "app/EncodingMenus.h"
#include "app/FindReplace.h"
#include "app/FormatCommands.h"
#include "app/MailSender.h"
#include "app/MailboxOpener.h"
#include "app/PageLayout.h"
#include "app/RecoveryFiles.h"
#include "app/SettingsDialog.h"
#include "app/SettingsStore.h"
#include "app/SizeLimit.h"
#include "app/StayOnTop.h"
#include "app/ToolIcons.h"
#include "toolkit/Exception.h"
#include "toolkit/gui/ErrorHandler.h"
#include "toolkit/gui/RichEdit.h"
#include "toolkit/gui/Shell.h"

#include <QAbstractScrollArea>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int designPixelsPerInch = 96;
constexpr float designInchesPerPixel = 1.0f / designPixelsPerInch;

// The help page: beside the program in a build tree, in the shared data folder
// once installed; named beside the program when neither holds it.
QString helpPagePath()
{
    const QString programDir = QCoreApplication::applicationDirPath();
    const QString beside = programDir + QStringLiteral("/Orvid.html");
    const QString installed = QDir::cleanPath(programDir + QStringLiteral("/../share/penvale/Orvid.html"));
    return !QFileInfo(beside).isFile() && QFileInfo(installed).isFile() ? installed : beside;
}

QWidget* newBar(QWidget* window, const char* name, int spacing)
{
    auto* bar = new QWidget(window);
    bar->setObjectName(QString::fromLatin1(name));
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(2, 0, 2, 0);
    row->setSpacing(spacing);
    return bar;
}

} // namespace

MainWindow::MainWindow(const QStringList& arguments, QWidget* parent) : QMainWindow(parent), commandLine(arguments)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Brakka  Text Editor "));
    const QScreen* screen = this->screen();
    scale.factor = float(screen ? screen->logicalDotsPerInch() : designPixelsPerInch) * designInchesPerPixel;
    editor = new TRichEdit(this);
    editor->setObjectName(QStringLiteral("RichEdit1"));
    createParts();
    buildMenus();
    buildContextMenu();
    buildLayout();
    wireParts();
    session->attachFileSources(*fileMenu);
    start();
}

MainWindow::~MainWindow() = default;

bool MainWindow::stayOnTopActive() const
{
    return stayOnTop->isActive();
}
const QString& MainWindow::docName() const
{
    return session->documentName();
}
bool MainWindow::newDocument() const
{
    return session->isNew();
}
void MainWindow::offerRecovery()
{
    Guard([this] { recovery->offerRecovery(); })();
}

QString MainWindow::statusText(StatusPanel panel) const
{
    return statusPanels->text(panel);
}

void MainWindow::createParts()
{
    statusPanels = std::make_unique<StatusPanels>(*statusBar(), *this);
    mailSender = new MailSender(*statusPanels, this);
    session = new DocumentSession(*editor, *statusPanels, this);
    sizeLimit = new SizeLimit(*editor, *statusPanels, this);
    format = new FormatCommands(*editor, this);
    compose = new ComposePanel(
        *editor, *mailSender, [this] { return session->chooseAttachment(); }, this);
    closeDuringSend = new CloseDuringSend(*mailSender, *compose, *this);
    edit = new EditCommands(*editor, *compose, this);
    findReplace = new FindReplace(*editor, this);
    clock = new ClockDates(*editor, this);
    pageLayout = new PageLayout(*editor, *this, scale);
    stayOnTop = new StayOnTop(*this);
    mailbox = new MailboxOpener(*session, *compose, *stayOnTop, *this, scale);
    recovery = new RecoveryFiles(*editor, *session, this);
    diskChanges = new DiskChanges(*session, this);
    exitAction = newCommand(
        this, "N2", "E&xit", [this] { close(); }, ctrlKey('Z'));
    settingsAction = newCommand(this, "Settings1", "&Settings", [this] { openSettings(); });
    contentsAction = newCommand(this, "Contents1", "&Contents", [this] { showHelp(); });
    aboutAction = newCommand(this, "About1", "About", [this] { showAbout(); });
}

void MainWindow::buildMenus()
{
    fileMenu = menuBar()->addMenu(QStringLiteral("&File"));
    fileMenu->addActions({session->newAction(), session->openAction(), session->saveAction(), session->saveAsAction()});
    (new EncodingMenus(*session))->addTo(*fileMenu); // owned by the session
    fileMenu->addSeparator();
    fileMenu->addActions({compose->sendEmailAction(), mailbox->retrieveEmailAction()});
    fileMenu->addSeparator();
    fileMenu->addActions({pageLayout->pageSetupAction(), pageLayout->printAction()});
    fileMenu->addSeparator();
    fileMenu->addAction(exitAction);

    QMenu* editMenu = menuBar()->addMenu(QStringLiteral("&Edit"));
    editMenu->addActions(
        {edit->cutAction(), edit->copyAction(), edit->pasteAction(), edit->undoAction(), edit->redoAction()});
    editMenu->addSeparator();
    editMenu->addActions({findReplace->findAction(), findReplace->replaceAction()});

    QMenu* textAttributesMenu = menuBar()->addMenu(QStringLiteral("&Text Attributes"));
    textAttributesMenu->addAction(format->fontAction());
    textAttributesMenu->addSeparator();
    textAttributesMenu->addActions({format->boldAction(), format->italicAction(), format->underlineAction()});
    textAttributesMenu->addSeparator();
    textAttributesMenu->addAction(session->plainTextAction());

    QMenu* optionsMenu = menuBar()->addMenu(QStringLiteral("&Options"));
    optionsMenu->addActions({pageLayout->defaultEditorWidthAction(), pageLayout->defaultWidthOnlyAction(),
                             pageLayout->usePageSetupWidthAction(), sizeLimit->maxSizeAction()});
    optionsMenu->addSeparator();
    optionsMenu->addAction(session->wordWrapAction());
    optionsMenu->addSeparator();
    optionsMenu->addActions({stayOnTop->stayOnTopAction(), clock->shortDateFormatAction(), clock->startClockAction(),
                             clock->startTimerAction()});
    optionsMenu->addSeparator();
    optionsMenu->addAction(settingsAction);

    helpMenu = menuBar()->addMenu(QStringLiteral("&Help"));
    helpMenu->addAction(contentsAction);
    helpMenu->addSeparator();
    helpMenu->addAction(aboutAction);
    auto* helpKey = new QAction(this);
    helpKey->setShortcut(Qt::Key_F1);
    connect(helpKey, &QAction::triggered, this, [this] { helpMenu->popup(mapToGlobal(QPoint(0, 0))); });
    addAction(helpKey);
}

// The editor's context menu: its items run the menus' commands.
void MainWindow::buildContextMenu()
{
    contextMenu = new QMenu(this);
    contextMenu->setObjectName(QStringLiteral("PopupMenu1"));
    const auto addPopup = [this](const char* caption, QAction* item) {
        QAction* action = contextMenu->addAction(QString::fromLatin1(caption));
        connect(action, &QAction::triggered, item, &QAction::trigger);
        return action;
    };
    popupCutAction = addPopup("Cut", edit->cutAction());
    popupCopyAction = addPopup("Copy", edit->copyAction());
    addPopup("Paste", edit->pasteAction());
    addPopup("Undo", edit->undoAction());
    contextMenu->addSeparator();
    // Offered in rich text only, as the commands they run.
    const auto addStylePopup = [this, addPopup](const char* caption, QAction* item) {
        QAction* action = addPopup(caption, item);
        connect(item, &QAction::enabledChanged, action, &QAction::setEnabled);
        return action;
    };
    popupBoldAction = addStylePopup("Bold", format->boldAction());
    popupUnderlineAction = addStylePopup("Underline", format->underlineAction());
    popupItalicAction = addStylePopup("Italicize", format->italicAction());
    contextMenu->addSeparator();
    contextMenu->addActions({pageLayout->popupPageSetupWidthAction(), pageLayout->popupDefaultWidthAction()});
    connect(contextMenu, &QMenu::aboutToShow, this, Guard([this] { enableContextItems(); }));
}

QWidget* MainWindow::buildToolbar()
{
    QWidget* bar = newBar(this, "Panel1", 0);
    QStyle* s = style();
    const auto themed = [s](const char* name, QStyle::StandardPixmap fallback) {
        return themedIcon(name, s->standardIcon(fallback));
    };
    const auto drawn = [](const char* name, ToolIcon fallback) { return themedIcon(name, toolIcon(fallback)); };
    commandButton(bar, session->newAction(), "Begin a new document", themed("document-new", QStyle::SP_FileIcon));
    commandButton(bar, session->openAction(), "Open an existing document file",
                  themed("document-open", QStyle::SP_DialogOpenButton));
    commandButton(bar, session->saveAction(), "Save the current document to disk",
                  themed("document-save", QStyle::SP_DialogSaveButton));
    addSeparator(bar);
    commandButton(bar, compose->sendEmailAction(), "Send Email", drawn("mail-send", ToolIcon::SendMail));
    commandButton(bar, mailbox->retrieveEmailAction(), "Retrieve Email ",
                  drawn("mail-receive", ToolIcon::RetrieveMail));
    addSeparator(bar);
    commandButton(bar, pageLayout->printAction(), "Print the current document",
                  drawn("document-print", ToolIcon::Print));
    commandButton(bar, pageLayout->pageSetupAction(), "Page Setup",
                  themed("document-page-setup", QStyle::SP_FileDialogDetailedView));
    addSeparator(bar);
    commandButton(bar, edit->cutAction(), "Cut selected text to the clipboard", drawn("edit-cut", ToolIcon::Cut));
    commandButton(bar, edit->copyAction(), "Copy selected text to the clipboard", drawn("edit-copy", ToolIcon::Copy));
    commandButton(bar, edit->pasteAction(), "Paste from the clipboard into the current document",
                  drawn("edit-paste", ToolIcon::Paste));
    commandButton(bar, edit->undoAction(), "Undo", themed("edit-undo", QStyle::SP_ArrowBack));
    addSeparator(bar);
    commandButton(bar, findReplace->findAction(), "Search for text",
                  themed("edit-find", QStyle::SP_FileDialogContentsView));
    commandButton(bar, findReplace->replaceAction(), "Search and replace text",
                  themed("edit-find-replace", QStyle::SP_BrowserReload));
    addSeparator(bar);
    commandButton(bar, settingsAction, "Settings", themed("preferences-system", QStyle::SP_ComputerIcon));
    auto* row = static_cast<QHBoxLayout*>(bar->layout());
    row->addSpacing(6);
    clock->addDatePickerTo(bar);
    row->addStretch(1);
    QToolButton* exitButton = toolButton(bar, "Exit Penvale", drawn("application-exit", ToolIcon::Exit));
    connect(exitButton, &QToolButton::clicked, this, Guard([this](bool) { close(); }));
    return bar;
}

QWidget* MainWindow::buildFormatBar()
{
    QWidget* bar = newBar(this, "Panel2", 4);
    format->addControlsTo(bar);
    static_cast<QHBoxLayout*>(bar->layout())->addStretch(1);
    clock->addTimeControlsTo(bar);
    return bar;
}

void MainWindow::buildLayout()
{
    QWidget* toolbar = buildToolbar();
    QWidget* formatBar = buildFormatBar();
    auto* client = new QWidget(this);
    auto* column = new QVBoxLayout(client);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    toolbar->setFixedHeight(26);
    formatBar->setFixedHeight(28);
    compose->panel()->setFixedHeight(57);
    column->addWidget(toolbar);
    column->addWidget(formatBar);
    column->addWidget(compose->panel());
    column->addWidget(editor, 1);
    setCentralWidget(client);
    for (QAbstractScrollArea* view : editor->findChildren<QAbstractScrollArea*>())
        view->setAccessibleName(QStringLiteral("Document"));
    setWindowIcon(QIcon(programPicture(64)));
}

void MainWindow::wireParts()
{
    editor->OnChange = Guard([this] {
        session->showState();
        recovery->documentChanged();
    });
    editor->OnSelectionChange = Guard([this] {
        format->followSelection();
        session->showState();
    });
    editor->OnMaxLengthRefused = Guard([this] { sizeLimit->reportRefused(); });
    editor->view()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(editor->view(), &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { contextMenu->popup(editor->view()->mapToGlobal(at)); });
    connect(session, &DocumentSession::modeChanged, format, &FormatCommands::followMode);
    connect(session, &DocumentSession::documentOpened, sizeLimit, &SizeLimit::reportIfExceeded);
    connect(compose, &ComposePanel::finished, session, &DocumentSession::showState);
    connect(session, &DocumentSession::documentSettled, recovery, &RecoveryFiles::discard);
    connect(session, &DocumentSession::documentSettled, diskChanges, &DiskChanges::remember);
    session->setOverwriteCheck([this](const QString& fileName) { return diskChanges->beforeSave(fileName); });
}

void MainWindow::start()
{
    helpFile = helpPagePath();
    resize(scale.pixels(656), scale.pixels(450));
    clock->resetDates();
    readRegistryKeys(AppSettings());
    sizeLimit->apply();
    mailSender->applySettings();
    session->start();
    format->start();
    session->showState();
}

// ---- Window events ----------------------------------------------------------

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (shown)
        return;
    shown = true;
    if (!commandLine.isEmpty())
        Guard([this] { session->openCommandLineFile(commandLine.first()); })();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    bool allowed = false;
    Guard([&] {
        allowed = closeDuringSend->closeRequested() == CloseDuringSend::Verdict::CloseNow
               && session->saveChangesCheck();
    })();
    if (allowed) {
        recovery->discard(); // saved, or dropped on purpose
        mailbox->closeMailbox();
        event->accept();
    } else
        event->ignore();
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    pageLayout->windowResized();
}

void MainWindow::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Guard([this] { diskChanges->windowActivated(); })();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick && statusPanels->holds(watched)) {
        Guard([this] { showDiagnostics(); })();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- The window's own commands ----------------------------------------------

void MainWindow::enableContextItems()
{
    const bool selected = editor->SelLength() > 0;
    const bool rich = session->textMode() == TextMode::Rich;
    popupCutAction->setEnabled(selected);
    popupCopyAction->setEnabled(selected);
    for (QAction* style : {popupBoldAction, popupUnderlineAction, popupItalicAction})
        style->setEnabled(selected && rich);
}

void MainWindow::openSettings()
{
    TSettingsStore& store = AppSettings();
    bool confirmed = false;
    {
        SettingsDialog dialog(this);
        dialog.resize(scale.pixels(567), scale.pixels(243));
        dialog.loadFrom(store);
        dialog.tabs->setCurrentWidget(dialog.directoryTab);
        confirmed = dialog.execute() == QDialog::Accepted;
        if (confirmed) {
            dialog.storeInto(store);
            mailSender->applySettings();
        }
    }
    if (confirmed)
        writeRegistryKeys(store);
}

void MainWindow::showHelp()
{
    if (!QFileInfo(helpFile).isFile())
        throw Exception(QStringLiteral("Cannot find the help file \"%1\".").arg(helpFile));
    Shell::OpenFile(helpFile, this, Guard([file = helpFile] {
                        throw Exception(QStringLiteral("No program could show the help file \"%1\".").arg(file));
                    }));
}

void MainWindow::showAbout()
{
    AboutBox box(this);
    box.exec();
}

// The screen's resolution against the design's, and the window's width. The
// desktop's scaling keeps the logical resolution at 96 and counts the screen's
// pixels in the device pixel ratio.
void MainWindow::showDiagnostics()
{
    const QScreen* screen = this->screen();
    const int screenPpi = qRound(screen ? screen->logicalDotsPerInch() * screen->devicePixelRatio()
                                        : designPixelsPerInch);
    statusPanels->set(StatusPanel::Font,
                      QStringLiteral("Scr = %1; Form = %2  %3").arg(screenPpi).arg(designPixelsPerInch).arg(width()));
}
