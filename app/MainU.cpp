#include "app/MainU.h"

#include "app/About.h"
#include "app/Settings.h"
#include "net/mssmtp.h"
#include "app/SettingsStore.h"
#include "toolkit/Exception.h"
#include "toolkit/gui/ColorGrid.h"
#include "toolkit/gui/Dialogs.h"
#include "toolkit/gui/ErrorHandler.h"
#include "toolkit/gui/Prompter.h"
#include "toolkit/gui/RichEdit.h"
#include "toolkit/gui/Shell.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimeEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

const QString NewDocumentName = QStringLiteral("New Document");

namespace {

const QString docChangedQuestion = QStringLiteral("Document has changed. Save changes?");
const QString formattingLostQuestion = QStringLiteral("All text formatting will be lost. Continue?");
const QString captionTo1Meg = QStringLiteral("Max Size - 1 Meg");
const QString captionTo100Meg = QStringLiteral("Max Size - 100 Meg");
const QString openFilter = QStringLiteral(
    "Rich Text(*.rft)|*.rtf|Plain Text(*.txt)|*.txt|HTML(*.htm,*.html)|*.htm;*.html|Email(*.eml)|*.eml|All Files(*.*)|*.*");
const QString plainOpenFilter = QStringLiteral(
    "Plain Text(*.txt)|*.txt|HTML(*.htm,*.html)|*.htm;*.html|Email(*.eml)|*.eml|All Files(*.*)|*.*");
constexpr int oneMeg = 1000000;
constexpr int hundredMeg = 100000000;
constexpr int designPixelsPerInch = 96;

} // namespace

TForm1::TForm1(const QStringList& arguments, QWidget* parent) : QMainWindow(parent), commandLine(arguments)
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
    FormCreate();
}

TForm1::~TForm1() = default;

int TForm1::scaled(int designPixels) const
{
    return int(std::nearbyint(designPixels * scaleFactor)); // ties to even
}

// ---- Start and close -------------------------------------------------------

void TForm1::FormCreate()
{
    helpFile = QCoreApplication::applicationDirPath() + QStringLiteral("/Orvid.html");
    const QScreen* screen = this->screen();
    scaleFactor = float(screen ? screen->logicalDotsPerInch() : designPixelsPerInch) * 0.010416666666666667f;
    defaultWidth = scaled(656);
    defaultHeight = scaled(450);
    resize(defaultWidth, defaultHeight);
    pageSetupApplied = false;
    UsePageSetupWidth1->setChecked(false);
    DateTimePicker1->setDate(QDate::currentDate());
    DateTimePicker2->setTime(QTime::currentTime());
    setWordWrapOn();
    newDocument = true;
    docName = NewDocumentName;
    readRegistryKeys(AppSettings());
    applyDocMax();
    applyMailSettings();
    setPlainText();
    FontName->setCurrentText(QStringLiteral("Arial"));
    SpinEdit1->setValue(10);
    upDateStatusBar();
}

void TForm1::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (shown)
        return;
    shown = true;
    Guard([this] { FormShow(); })();
}

void TForm1::FormShow()
{
    if (commandLine.isEmpty() || !QFileInfo(commandLine.first()).isFile())
        return;
    loadDocument(commandLine.first());
    docName = commandLine.first();
    newDocument = false;
    RichEdit1->SetModified(false);
    upDateStatusBar();
    setWordWrapOn();
}

bool TForm1::FormCloseQuery()
{
    return saveChangesCheck();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    bool allowed = false;
    Guard([&] { allowed = FormCloseQuery(); })();
    if (allowed)
        event->accept();
    else
        event->ignore();
}

void TForm1::N2Click()
{
    close();
}

void TForm1::SpeedButton15Click()
{
    close();
}

// ---- Document state and the save-changes protocol -----------------------

int TForm1::getDocState() const
{
    if (!RichEdit1->Modified())
        return dsClean;
    return newDocument ? dsNewModified : dsNamedModified;
}

int TForm1::confirmSave()
{
    const int state = getDocState();
    if (state == dsClean)
        return sdGoOn;
    switch (MessageDlg(docChangedQuestion, mtConfirmation, mbYesNoCancel)) {
    case mrYes: return state == dsNewModified ? sdSaveAs : sdSaveNamed;
    case mrNo: return sdGoOn;
    default: return sdCancel;
    }
}

bool TForm1::executeSave(int decision)
{
    switch (decision) {
    case sdSaveAs:
        // Cancelling this dialog drops the changes; the calling operation goes on.
        if (SaveDialog1->Execute()) {
            saveDocument(SaveDialog1->FileName);
            docName = SaveDialog1->FileName;
        }
        return true;
    case sdCancel:
        return false;
    case sdSaveNamed:
        saveDocument(docName);
        return true;
    default:
        return true;
    }
}

bool TForm1::saveChangesCheck()
{
    return executeSave(confirmSave());
}

void TForm1::loadDocument(const QString& fileName)
{
    RichEdit1->LoadFromFile(fileName);
}

void TForm1::saveDocument(const QString& fileName)
{
    RichEdit1->SaveToFile(fileName);
}

void TForm1::setWordWrapOn()
{
    RichEdit1->SetWordWrap(true);
    WordWrap1->setChecked(true);
}

void TForm1::resetSelectionAttributes(int size)
{
    RichEdit1->SetSelColor(Qt::black);
    RichEdit1->SetSelFontSize(size);
    RichEdit1->SetSelFontName(QStringLiteral("Arial"));
    RichEdit1->SetSelStyle(0);
}

// ---- File commands --------------------------------------------------------

void TForm1::New1Click()
{
    if (!saveChangesCheck())
        return;
    RichEdit1->Clear();
    docName = NewDocumentName;
    newDocument = true;
    resetSelectionAttributes(12);
    RichEdit1->SetModified(false);
    upDateStatusBar();
    setWordWrapOn();
}

void TForm1::Open1Click()
{
    OpenDialog1->InitialDir = AppSettings().OpenDir;
    if (!saveChangesCheck())
        return;
    if (!OpenDialog1->Execute())
        return;
    loadDocument(OpenDialog1->FileName);
    docName = OpenDialog1->FileName;
    RichEdit1->SetSelStart(0);
    setWordWrapOn();
    newDocument = false;
    RichEdit1->SetModified(false);
    upDateStatusBar();
}

void TForm1::Save1Click()
{
    SaveDialog1->InitialDir = AppSettings().SaveDir;
    if (getDocState() == dsNewModified && SaveDialog1->Execute()) {
        saveDocument(SaveDialog1->FileName);
        newDocument = false;
        docName = SaveDialog1->FileName;
        RichEdit1->SetModified(false);
        upDateStatusBar();
    }
    if (getDocState() == dsNamedModified) {
        saveDocument(docName);
        RichEdit1->SetModified(false);
        upDateStatusBar();
    }
}

void TForm1::SaveAs1Click()
{
    SaveDialog1->InitialDir = AppSettings().SaveDir;
    if (!SaveDialog1->Execute())
        return;
    saveDocument(SaveDialog1->FileName);
    docName = SaveDialog1->FileName;
    RichEdit1->SetModified(false);
    upDateStatusBar();
    newDocument = false;
}

void TForm1::MostRecentUsedList1SelectFilename(const QString& fileName)
{
    if (!saveChangesCheck())
        return;
    loadDocument(fileName);
    docName = fileName;
    setWordWrapOn();
    newDocument = false;
    RichEdit1->SetModified(false);
    upDateStatusBar();
}

void TForm1::FileDrop1Drop(const QStringList& fileNames)
{
    if (!fileNames.isEmpty())
        onFileDrop(fileNames.first());
}

void TForm1::onFileDrop(const QString& fileName)
{
    loadDocument(fileName);
    docName = fileName;
    newDocument = false;
    RichEdit1->SetModified(false);
    upDateStatusBar();
}

// ---- Modes ------------------------------------------------------------------

void TForm1::PlainText1Click()
{
    if (PlainText1->isChecked())
        setRichText();
    else if (newDocument || MessageDlg(formattingLostQuestion, mtConfirmation, mbYesNo) == mrYes)
        setPlainText();
}

void TForm1::setFormatControlsEnabled(bool enabled)
{
    for (QAction* action : std::as_const(richOnlyActions))
        action->setEnabled(enabled);
    for (QToolButton* button : std::as_const(FormatButtons))
        button->setEnabled(enabled);
    FontName->setVisible(enabled);
    SpinEdit1->setVisible(enabled);
    ColorGrid1->setVisible(enabled);
}

void TForm1::setPlainText()
{
    const bool modified = RichEdit1->Modified();
    PlainText1->setChecked(true);
    RichEdit1->SetPlainText(true);
    SaveDialog1->Filter = QStringLiteral("Plain Text");
    resetOpenDialog(QStringLiteral("Plain"));
    setFormatControlsEnabled(false);
    RichEdit1->SelectAll();
    resetSelectionAttributes(10);
    RichEdit1->SetModified(modified);
    upDateStatusBar();
    RichEdit1->SetSelStart(0);
}

void TForm1::setRichText()
{
    const bool modified = RichEdit1->Modified();
    PlainText1->setChecked(false);
    RichEdit1->SetPlainText(false);
    SaveDialog1->Filter = QStringLiteral("Rich Text(*.rtf)|*.rtf");
    resetOpenDialog(QStringLiteral("Open"));
    setFormatControlsEnabled(true);
    RichEdit1->SetModified(modified);
    upDateStatusBar();
}

void TForm1::resetOpenDialog(const QString& purpose)
{
    if (purpose == QLatin1String("Open")) {
        OpenDialog1->Filter = openFilter;
        OpenDialog1->Title = QStringLiteral("Open");
        OpenDialog1->InitialDir = AppSettings().OpenDir;
    } else if (purpose == QLatin1String("Plain")) {
        OpenDialog1->Filter = plainOpenFilter;
        OpenDialog1->InitialDir = AppSettings().OpenDir;
    } else if (purpose == QLatin1String("Attachments")) {
        OpenDialog1->Filter = QStringLiteral("All Files|*.*");
        OpenDialog1->Title = QStringLiteral("Attachments");
        OpenDialog1->InitialDir = QDir::homePath();
    } else {
        return;
    }
    OpenDialog1->FilterIndex = 1;
}

// ---- Options ----------------------------------------------------------------

void TForm1::applyDocMax()
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

void TForm1::MaxSize10Meg1Click()
{
    const bool toHundred = MaxSize10Meg1->text() == captionTo100Meg;
    RichEdit1->SetMaxLength(toHundred ? hundredMeg : oneMeg);
    MaxSize10Meg1->setText(toHundred ? captionTo1Meg : captionTo100Meg);
    AppSettings().DocMax = toHundred ? QStringLiteral("100MB") : QStringLiteral("1MB");
    writeDocMax(AppSettings().DocMax);
}

void TForm1::StayOnTop1Click()
{
    const bool on = !StayOnTop1->isChecked();
    const QString scratch = AppSettings().SaveDir + QStringLiteral("/doc.tmp");
    const bool wrote = RichEdit1->LineCount() > 0;
    if (wrote)
        saveDocument(scratch);
    StayOnTop1->setChecked(on);
    stayOnTopActive = on;
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (visible)
        show(); // changing the stacking flag hides the window
    if (wrote) {
        loadDocument(scratch);
        QFile::remove(scratch); // the copy served the switch only
    }
    RichEdit1->SetModified(false);
    upDateStatusBar();
}

// ---- Status bar, help, About ---------------------------------------------

void TForm1::upDateStatusBar()
{
    StatusPanels[3]->setText(docName);
    StatusPanels[0]->setText(RichEdit1->SelFontName());
    StatusPanels[1]->setText(QString::number(RichEdit1->SelFontSize()));
    StatusPanels[4]->setText(RichEdit1->Modified() ? QStringLiteral("Modified") : QStringLiteral("Unmodified"));
    StatusPanels[2]->setText(PlainText1->isChecked() ? QStringLiteral("Plain Text") : QStringLiteral("Rich Text"));
}

void TForm1::StatusBar1DblClick()
{
    const QScreen* screen = this->screen();
    const int screenPpi = qRound(screen ? screen->logicalDotsPerInch() : designPixelsPerInch);
    StatusPanels[0]->setText(QStringLiteral("Scr = %1; Form = %2  %3").arg(screenPpi).arg(designPixelsPerInch).arg(width()));
}

void TForm1::Contents1Click()
{
    if (!QFileInfo(helpFile).isFile())
        throw Exception(QStringLiteral("Cannot find the help file \"%1\".").arg(helpFile));
    if (!Shell::OpenFile(helpFile))
        throw Exception(QStringLiteral("No program could show the help file \"%1\".").arg(helpFile));
}

void TForm1::About1Click()
{
    TAboutBox box(this);
    box.exec();
}

void TForm1::Settings1Click()
{
    TSettingsStore& store = AppSettings();
    bool confirmed = false;
    {
        TForm2 dialog(this);
        dialog.resize(scaled(567), scaled(243));
        dialog.LoadFrom(store);
        dialog.PageControl1->setCurrentWidget(dialog.DirectoryTab);
        confirmed = dialog.Execute() == QDialog::Accepted;
        if (confirmed) {
            dialog.StoreInto(store);
            msSMTP1->Server = store.SMTPServer;
        }
    }
    if (confirmed)
        writeRegistryKeys(store);
}

void TForm1::RichEdit1Change()
{
    upDateStatusBar();
}

void TForm1::RichEdit1SelectionChange()
{
    upDateStatusBar();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick && watched == AttEdit) {
        Guard([this] { AttEditDblClick(); })();
        return true;
    }
    if (event->type() == QEvent::MouseButtonDblClick
        && (watched == statusBar() || StatusPanels.contains(watched))) {
        Guard([this] { StatusBar1DblClick(); })();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}
