#include "app/MainWindow.h"

#include "app/AboutBox.h"
#include "app/SettingsDialog.h"
#include "net/smtp/smtp_client.h"
#include "app/SettingsStore.h"
#include "toolkit/Exception.h"
#include "toolkit/Streams.h"
#include "toolkit/gui/ColorGrid.h"
#include "toolkit/gui/Dialogs.h"
#include "toolkit/gui/ErrorHandler.h"
#include "toolkit/gui/Prompter.h"
#include "toolkit/gui/RichEdit.h"
#include "toolkit/gui/Shell.h"
#include "widgets/FileDrop.h"
#include "widgets/mrfl.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QScreen>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimeEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace {

const QString newDocumentName = QStringLiteral("New Document");
const QString docChangedQuestion = QStringLiteral("Document has changed. Save changes?");
const QString formattingLostQuestion = QStringLiteral("All text formatting will be lost. Continue?");
const QString savedAsUtf8Warning =
    QStringLiteral("This text has characters that windows-1252 cannot hold, so it is saved as UTF-8.");
const QString sizeLimitReached = QStringLiteral("Size limit reached: at most %1 characters");
const QString sizeLimitExceeded = QStringLiteral("Size limit exceeded: %1 characters, the limit is %2");
const QString captionTo1Meg = QStringLiteral("Max Size - 1 Meg");
const QString captionTo100Meg = QStringLiteral("Max Size - 100 Meg");
const QString openFilter = QStringLiteral(
    "Rich Text(*.rft)|*.rtf|Plain Text(*.txt)|*.txt|HTML(*.htm,*.html)|*.htm;*.html|Email(*.eml)|*.eml|All Files(*.*)|*.*");
const QString plainOpenFilter = QStringLiteral(
    "Plain Text(*.txt)|*.txt|HTML(*.htm,*.html)|*.htm;*.html|Email(*.eml)|*.eml|All Files(*.*)|*.*");
constexpr int oneMeg = 1000000;
constexpr int hundredMeg = 100000000;
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

} // namespace

MainWindow::MainWindow(const QStringList& arguments, QWidget* parent) : QMainWindow(parent), commandLine(arguments)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Brakka  Text Editor "));
    OpenDialog1 = new TOpenDialog(this);
    SaveDialog1 = new TSaveDialog(this);
    SaveDialog1->Options = TOpenDialog::ofOverwritePrompt | TOpenDialog::ofHideReadOnly;
    RichEdit1 = new TRichEdit(this);
    createMailComponents();
    buildMenus();
    buildToolbar();
    buildFormatBar();
    buildStatusBar();
    buildLayout();
    createFileComponents();
    createPrintComponents();
    createEditComponents();
    createFindComponents();
    createClockComponents();
    FormCreate();
}

MainWindow::~MainWindow() = default;

int MainWindow::scaled(int designPixels) const
{
    return int(std::nearbyint(designPixels * screenScale)); // ties to even
}

// ---- Start and close -------------------------------------------------------

void MainWindow::FormCreate()
{
    helpFile = helpPagePath();
    const QScreen* screen = this->screen();
    screenScale = float(screen ? screen->logicalDotsPerInch() : designPixelsPerInch) * designInchesPerPixel;
    defaultWidth = scaled(656);
    defaultHeight = scaled(450);
    resize(defaultWidth, defaultHeight);
    pageSetupApplied = false;
    UsePageSetupWidth1->setChecked(false);
    DateTimePicker1->setDate(QDate::currentDate());
    DateTimePicker2->setTime(QTime::currentTime());
    setWordWrapOn();
    documentIsNew = true;
    documentName = newDocumentName;
    readRegistryKeys(AppSettings());
    applyDocMax();
    applyMailSettings();
    setPlainText();
    FontName->setCurrentText(QStringLiteral("Arial"));
    SpinEdit1->setValue(10);
    upDateStatusBar();
}

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (shown)
        return;
    shown = true;
    Guard([this] { FormShow(); })();
}

void MainWindow::FormShow()
{
    if (commandLine.isEmpty() || !QFileInfo(commandLine.first()).isFile())
        return;
    openDocument(commandLine.first());
    setWordWrapOn();
}

bool MainWindow::FormCloseQuery()
{
    return saveChangesCheck();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    bool allowed = false;
    Guard([&] { allowed = FormCloseQuery(); })();
    if (allowed)
        event->accept();
    else
        event->ignore();
}

void MainWindow::N2Click()
{
    close();
}

void MainWindow::SpeedButton15Click()
{
    close();
}

// ---- Document state and the save-changes protocol -----------------------

MainWindow::DocState MainWindow::getDocState() const
{
    if (!RichEdit1->Modified())
        return DocState::Clean;
    return documentIsNew ? DocState::NewModified : DocState::NamedModified;
}

MainWindow::SaveDecision MainWindow::confirmSave()
{
    const DocState state = getDocState();
    if (state == DocState::Clean)
        return SaveDecision::GoOn;
    switch (MessageDlg(docChangedQuestion, mtConfirmation, mbYesNoCancel)) {
    case mrYes: return state == DocState::NewModified ? SaveDecision::SaveAs : SaveDecision::SaveNamed;
    case mrNo: return SaveDecision::GoOn;
    default: return SaveDecision::Cancel;
    }
}

bool MainWindow::executeSave(SaveDecision decision)
{
    switch (decision) {
    case SaveDecision::SaveAs:
        // Cancelling this dialog cancels the calling operation: the changes are kept.
        if (!SaveDialog1->Execute())
            return false;
        saveDocument(SaveDialog1->FileName);
        setCurrentDocument(SaveDialog1->FileName, false);
        return true;
    case SaveDecision::Cancel:
        return false;
    case SaveDecision::SaveNamed:
        saveDocument(documentName);
        setCurrentDocument(documentName, false);
        return true;
    case SaveDecision::GoOn:
        break;
    }
    return true;
}

// A save that fails throws, which also stops the calling operation.
bool MainWindow::saveChangesCheck()
{
    return executeSave(confirmSave());
}

// The document now is the one called name, as it stands on disk (or, for a
// new document, empty): nothing to save.
void MainWindow::setCurrentDocument(const QString& name, bool isNew)
{
    documentName = name;
    documentIsNew = isNew;
    RichEdit1->SetModified(false);
    upDateStatusBar();
}

// RTF content is read as RTF whatever the mode, so it is never shown, and
// then saved, as code.
void MainWindow::openDocument(const QString& fileName)
{
    if (PlainText1->isChecked() && TRichEdit::IsRtfFile(fileName))
        setRichText();
    RichEdit1->LoadFromFile(fileName);
    setCurrentDocument(fileName, false);
    const int limit = RichEdit1->MaxLength();
    if (limit > 0 && RichEdit1->TextLength() > limit)
        setStatus(StatusPanel::Font, sizeLimitExceeded.arg(QLocale().toString(RichEdit1->TextLength()),
                                                           QLocale().toString(limit)));
}

void MainWindow::saveDocument(const QString& fileName)
{
    if (RichEdit1->PlainText() && !RichEdit1->TextFitsFileFormat()) {
        TTextFileFormat format = RichEdit1->TextFileFormat();
        format.encoding = TTextEncoding::Utf8;
        RichEdit1->SetTextFileFormat(format);   // said once: later saves fit
        MessageDlg(savedAsUtf8Warning, mtWarning, mbOK);
    }
    RichEdit1->SaveToFile(fileName);
}

void MainWindow::setWordWrapOn()
{
    RichEdit1->SetWordWrap(true);
    WordWrap1->setChecked(true);
}

void MainWindow::resetSelectionAttributes(int size)
{
    RichEdit1->SetSelColor(Qt::black);
    RichEdit1->SetSelFontSize(size);
    RichEdit1->SetSelFontName(QStringLiteral("Arial"));
    RichEdit1->SetSelStyle(0);
}

// ---- File commands --------------------------------------------------------

void MainWindow::New1Click()
{
    if (!saveChangesCheck())
        return;
    RichEdit1->Clear();
    RichEdit1->ClearUndo();   // the old document is not undone into the new one
    RichEdit1->SetTextFileFormat({});   // UTF-8 with LF
    resetSelectionAttributes(12);
    setCurrentDocument(newDocumentName, true);
    setWordWrapOn();
}

void MainWindow::Open1Click()
{
    OpenDialog1->InitialDir = AppSettings().OpenDir;
    if (!saveChangesCheck())
        return;
    if (!OpenDialog1->Execute())
        return;
    openDocument(OpenDialog1->FileName);
    setWordWrapOn();
    MostRecentUsedList1->AddFilename(OpenDialog1->FileName);
}

void MainWindow::Save1Click()
{
    SaveDialog1->InitialDir = AppSettings().SaveDir;
    if (getDocState() == DocState::NewModified && SaveDialog1->Execute()) {
        saveDocument(SaveDialog1->FileName);
        setCurrentDocument(SaveDialog1->FileName, false);
    }
    if (getDocState() == DocState::NamedModified) {
        saveDocument(documentName);
        setCurrentDocument(documentName, false);
    }
}

void MainWindow::SaveAs1Click()
{
    SaveDialog1->InitialDir = AppSettings().SaveDir;
    if (!SaveDialog1->Execute())
        return;
    saveDocument(SaveDialog1->FileName);
    setCurrentDocument(SaveDialog1->FileName, false);
    MostRecentUsedList1->AddFilename(SaveDialog1->FileName);
}

// The recent-files list on the File menu after "&Print", and the editor as
// the target of files dropped from the file manager.
void MainWindow::createFileComponents()
{
    MostRecentUsedList1 = new TMostRecentUsedList(this);
    MostRecentUsedList1->setObjectName(QStringLiteral("MostRecentUsedList1"));
    MostRecentUsedList1->MenuToAttach = File1;
    MostRecentUsedList1->MenuIndex = 10;
    MostRecentUsedList1->RegistryKey = QStringLiteral("Software\\Penvale\\mru");
    MostRecentUsedList1->OnSelectFilename = [this](QObject*, const QString& fileName) {
        MostRecentUsedList1SelectFilename(fileName);
    };
    MostRecentUsedList1->Loaded();
    FileDrop1 = new TFileDrop(this);
    FileDrop1->setObjectName(QStringLiteral("FileDrop1"));
    FileDrop1->SetDropControl(RichEdit1);
    FileDrop1->OnDrop = Guard([this](QObject*) { FileDrop1Drop(); });
}

void MainWindow::MostRecentUsedList1SelectFilename(const QString& fileName)
{
    if (!saveChangesCheck())
        return;
    openDocument(fileName);
    setWordWrapOn();
}

void MainWindow::FileDrop1Drop()
{
    if (FileDrop1->FileCount() > 0)
        onFileDrop(FileDrop1->Files().first());
}

// A drop replaces the document as Open does, so unsaved changes are asked
// about; but only once the file is known to open, so a drop of something that
// cannot be read asks nothing and changes nothing.
void MainWindow::onFileDrop(const QString& fileName)
{
    TFileStream(fileName, TFileStream::fmOpenRead);
    if (!saveChangesCheck())
        return;
    openDocument(fileName);
}

// ---- Modes ------------------------------------------------------------------

void MainWindow::PlainText1Click()
{
    if (PlainText1->isChecked())
        setRichText();
    else if (documentIsNew || MessageDlg(formattingLostQuestion, mtConfirmation, mbYesNo) == mrYes)
        setPlainText();
}

void MainWindow::setFormatControlsEnabled(bool enabled)
{
    for (QAction* action : std::as_const(richOnlyActions))
        action->setEnabled(enabled);
    FontName->setVisible(enabled);
    SpinEdit1->setVisible(enabled);
    ColorGrid1->setVisible(enabled);
}

void MainWindow::setPlainText()
{
    const bool modified = RichEdit1->Modified();
    PlainText1->setChecked(true);
    RichEdit1->SetPlainText(true);
    SaveDialog1->Filter = QStringLiteral("Plain Text");
    resetOpenDialog(OpenSetup::Plain);
    setFormatControlsEnabled(false);
    RichEdit1->SelectAll();
    resetSelectionAttributes(10);
    RichEdit1->SetModified(modified);
    upDateStatusBar();
    RichEdit1->SetSelStart(0);
}

void MainWindow::setRichText()
{
    const bool modified = RichEdit1->Modified();
    PlainText1->setChecked(false);
    RichEdit1->SetPlainText(false);
    SaveDialog1->Filter = QStringLiteral("Rich Text(*.rtf)|*.rtf");
    resetOpenDialog(OpenSetup::Open);
    setFormatControlsEnabled(true);
    RichEdit1->SetModified(modified);
    upDateStatusBar();
}

void MainWindow::resetOpenDialog(OpenSetup setup)
{
    switch (setup) {
    case OpenSetup::Open:
        OpenDialog1->Filter = openFilter;
        OpenDialog1->Title = QStringLiteral("Open");
        OpenDialog1->InitialDir = AppSettings().OpenDir;
        break;
    case OpenSetup::Plain: // the title stays as it was
        OpenDialog1->Filter = plainOpenFilter;
        OpenDialog1->InitialDir = AppSettings().OpenDir;
        break;
    case OpenSetup::Attachments:
        OpenDialog1->Filter = QStringLiteral("All Files|*.*");
        OpenDialog1->Title = QStringLiteral("Attachments");
        OpenDialog1->InitialDir = QDir::homePath();
        break;
    }
    OpenDialog1->FilterIndex = 1;
}

// ---- Options ----------------------------------------------------------------

void MainWindow::applyDocMax()
{
    const QString& docMax = AppSettings().DocMax;
    if (docMax == QLatin1String("100MB")) {
        RichEdit1->SetMaxLength(hundredMeg);
        MaxSize10Meg1->setText(captionTo1Meg);
    } else if (!docMax.isEmpty()) {
        RichEdit1->SetMaxLength(oneMeg);
        MaxSize10Meg1->setText(captionTo100Meg);
    } else {
        MaxSize10Meg1->setText(captionTo1Meg);
    }
}

void MainWindow::MaxSize10Meg1Click()
{
    const bool toHundred = MaxSize10Meg1->text() == captionTo100Meg;
    RichEdit1->SetMaxLength(toHundred ? hundredMeg : oneMeg);
    MaxSize10Meg1->setText(toHundred ? captionTo1Meg : captionTo100Meg);
    AppSettings().DocMax = toHundred ? QStringLiteral("100MB") : QStringLiteral("1MB");
    writeDocMax(AppSettings().DocMax);
}

// The editor keeps its document while the window is shown again, so the
// switch leaves the text, its formats and the modified flag alone.
void MainWindow::StayOnTop1Click()
{
    const bool on = !StayOnTop1->isChecked();
    StayOnTop1->setChecked(on);
    onTop = on;
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (visible)
        show(); // changing the stacking flag hides the window
}

// ---- Status bar, help, About ---------------------------------------------

void MainWindow::upDateStatusBar()
{
    setStatus(StatusPanel::Name, documentName);
    setStatus(StatusPanel::Font, RichEdit1->SelFontName());
    setStatus(StatusPanel::Size, QString::number(RichEdit1->SelFontSize()));
    setStatus(StatusPanel::State, RichEdit1->Modified() ? QStringLiteral("Modified") : QStringLiteral("Unmodified"));
    setStatus(StatusPanel::Mode, PlainText1->isChecked() ? QStringLiteral("Plain Text") : QStringLiteral("Rich Text"));
}

void MainWindow::setStatus(StatusPanel panel, const QString& text)
{
    statusPanels[int(panel)]->setText(text);
}

QString MainWindow::statusText(StatusPanel panel) const
{
    return statusPanels[int(panel)]->text();
}

void MainWindow::StatusBar1DblClick()
{
    const QScreen* screen = this->screen();
    const int screenPpi = qRound(screen ? screen->logicalDotsPerInch() : designPixelsPerInch);
    setStatus(StatusPanel::Font,
              QStringLiteral("Scr = %1; Form = %2  %3").arg(screenPpi).arg(designPixelsPerInch).arg(width()));
}

void MainWindow::Contents1Click()
{
    if (!QFileInfo(helpFile).isFile())
        throw Exception(QStringLiteral("Cannot find the help file \"%1\".").arg(helpFile));
    Shell::OpenFile(helpFile, this, Guard([file = helpFile] {
        throw Exception(QStringLiteral("No program could show the help file \"%1\".").arg(file));
    }));
}

void MainWindow::About1Click()
{
    AboutBox box(this);
    box.exec();
}

void MainWindow::Settings1Click()
{
    TSettingsStore& store = AppSettings();
    bool confirmed = false;
    {
        SettingsDialog dialog(this);
        dialog.resize(scaled(567), scaled(243));
        dialog.loadFrom(store);
        dialog.tabs->setCurrentWidget(dialog.directoryTab);
        confirmed = dialog.execute() == QDialog::Accepted;
        if (confirmed) {
            dialog.storeInto(store);
            applyMailSettings();
        }
    }
    if (confirmed)
        writeRegistryKeys(store);
}

void MainWindow::RichEdit1Change()
{
    upDateStatusBar();
}

void MainWindow::RichEdit1SelectionChange()
{
    setChangeStates();
    getCurrentSelState();
    upDateStatusBar();
}

void MainWindow::RichEdit1MaxLengthRefused()
{
    setStatus(StatusPanel::Font, sizeLimitReached.arg(QLocale().toString(RichEdit1->MaxLength())));
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick && watched == AttEdit) {
        Guard([this] { AttEditDblClick(); })();
        return true;
    }
    if (event->type() == QEvent::MouseButtonDblClick
        && (watched == statusBar() || statusPanels.contains(watched))) {
        Guard([this] { StatusBar1DblClick(); })();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}
