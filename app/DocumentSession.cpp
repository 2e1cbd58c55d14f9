#include "app/DocumentSession.h"

#include "app/Commands.h"
#include "app/SettingsStore.h"
#include "app/StatusPanels.h"
#include "toolkit/Streams.h"
#include "toolkit/gui/Dialogs.h"
#include "toolkit/gui/ErrorHandler.h"
#include "toolkit/gui/Prompter.h"
#include "toolkit/gui/RichEdit.h"
#include "widgets/FileDrop.h"
#include "widgets/RecentFilesList.h"

#include <QDir>
#include <QMenu>

namespace {

const QString newDocumentName = QStringLiteral("New Document");
const QString docChangedQuestion = QStringLiteral("Document has changed. Save changes?");
const QString formattingLostQuestion = QStringLiteral("All text formatting will be lost. Continue?");
const QString cannotHoldQuestion = QStringLiteral(
    "This text has characters that %1 cannot hold. Save it as UTF-8 instead?");
const QString openFilter = QStringLiteral(
    "Rich Text(*.rft)|*.rtf|Plain Text(*.txt)|*.txt|HTML(*.htm,*.html)|*.htm;*.html|Email(*.eml)|*.eml|All Files(*.*)|*.*");
const QString plainOpenFilter = QStringLiteral(
    "Plain Text(*.txt)|*.txt|HTML(*.htm,*.html)|*.htm;*.html|Email(*.eml)|*.eml|All Files(*.*)|*.*");

} // namespace

DocumentSession::DocumentSession(TRichEdit& editor, StatusPanels& status, QWidget* window)
    : QObject(window), editor(editor), status(status), name(newDocumentName)
{
    openDialog = new TOpenDialog(window);
    saveDialog = new TSaveDialog(window);
    saveDialog->Options = TOpenDialog::ofOverwritePrompt | TOpenDialog::ofHideReadOnly;
    commands.fileNew = newCommand(
        this, "New1", "&New", [this] { fileNew(); }, ctrlKey('N'));
    commands.open = newCommand(
        this, "Open1", "&Open", [this] { fileOpen(); }, ctrlKey('O'));
    commands.save = newCommand(
        this, "Save1", "&Save", [this] { fileSave(); }, ctrlKey('S'));
    commands.saveAs = newCommand(
        this, "SaveAs1", "Save&As", [this] { fileSaveAs(); }, ctrlKey('A'));
    commands.plainText = newCheckCommand(this, "PlainText1", "&Plain Text Only", [this] { togglePlainText(); });
    commands.wordWrap = newCheckCommand(
        this, "WordWrap1", "&Word Wrap", [this] { toggleWordWrap(); }, ctrlKey('W'));
    setWordWrapOn();
}

TextMode DocumentSession::textMode() const
{
    return commands.plainText->isChecked() ? TextMode::Plain : TextMode::Rich;
}

// The list goes on the File menu after "&Print".
void DocumentSession::attachFileSources(QMenu& fileMenu)
{
    recentFiles = new TMostRecentUsedList(this);
    recentFiles->setObjectName(QStringLiteral("MostRecentUsedList1"));
    recentFiles->MenuToAttach = &fileMenu;
    recentFiles->MenuIndex = 12;
    recentFiles->RegistryKey = QStringLiteral("Software\\Penvale\\mru");
    recentFiles->OnSelectFilename = [this](QObject*, const QString& fileName) { openRecent(fileName); };
    recentFiles->Loaded();
    fileDrop = new TFileDrop(this);
    fileDrop->setObjectName(QStringLiteral("FileDrop1"));
    fileDrop->SetDropControl(&editor);
    fileDrop->OnDrop = Guard([this](QObject*) { openDropped(); });
}

void DocumentSession::start()
{
    setPlainText();
}

// A name that opens no file fails with the open error, so the user hears of it.
void DocumentSession::openCommandLineFile(const QString& fileName)
{
    openDocument(fileName);
    setWordWrapOn();
}

// ---- The save-changes protocol ----------------------------------------------

DocumentSession::DocState DocumentSession::docState() const
{
    if (!editor.Modified())
        return DocState::Clean;
    return documentIsNew ? DocState::NewModified : DocState::NamedModified;
}

DocumentSession::SaveDecision DocumentSession::confirmSave()
{
    const DocState state = docState();
    if (state == DocState::Clean)
        return SaveDecision::GoOn;
    switch (MessageDlg(docChangedQuestion, mtConfirmation, mbYesNoCancel)) {
    case mrYes: return state == DocState::NewModified ? SaveDecision::SaveAs : SaveDecision::SaveNamed;
    case mrNo: return SaveDecision::GoOn;
    default: return SaveDecision::Cancel;
    }
}

bool DocumentSession::executeSave(SaveDecision decision)
{
    switch (decision) {
    case SaveDecision::SaveAs:
        // Cancelling this dialog cancels the calling operation: the changes are kept.
        return saveDocumentAs();
    case SaveDecision::Cancel: return false;
    case SaveDecision::SaveNamed: return saveNamed();
    case SaveDecision::GoOn: break;
    }
    return true;
}

// A save that fails throws, which also stops the calling operation.
bool DocumentSession::saveChangesCheck()
{
    return executeSave(confirmSave());
}

// ---- The document -----------------------------------------------------------

// The document now is the one called fileName, as it stands on disk (or, for
// a new document, empty): nothing to save.
void DocumentSession::setCurrentDocument(const QString& fileName, bool isNew)
{
    name = fileName;
    documentIsNew = isNew;
    editor.SetModified(false);
    showState();
    emit documentSettled();
}

// RTF content is read as RTF whatever the mode, so it is never shown, and
// then saved, as code.
void DocumentSession::openDocument(const QString& fileName)
{
    if (commands.plainText->isChecked() && TRichEdit::IsRtfFile(fileName))
        setRichText();
    editor.LoadFromFile(fileName);
    setCurrentDocument(fileName, false);
    emit documentOpened();
}

bool DocumentSession::saveDocument(const QString& fileName)
{
    if (editor.PlainText() && !editor.TextFitsFileFormat()) {
        TTextFileFormat format = editor.TextFileFormat();
        const QString question = cannotHoldQuestion.arg(RichEditEncoding::nameOf(format.encoding));
        if (MessageDlg(question, mtConfirmation, mbYesNo) != mrYes)
            return false;
        format.encoding = TTextEncoding::Utf8;
        editor.SetTextFileFormat(format); // asked once: later saves fit
    }
    editor.SaveToFile(fileName);
    return true;
}

// Cancelling the dialog, or the question about the encoding, cancels the
// calling operation: the changes are kept.
bool DocumentSession::saveDocumentAs()
{
    if (!saveDialog->Execute() || !saveDocument(saveDialog->FileName))
        return false;
    setCurrentDocument(saveDialog->FileName, false);
    return true;
}

// Another program may have written the file since it was opened or saved.
// Keeping theirs drops the changes on purpose, so the calling operation goes on.
bool DocumentSession::saveNamed()
{
    switch (overwriteCheck ? overwriteCheck(name) : OverwriteDecision::Write) {
    case OverwriteDecision::Write: break;
    case OverwriteDecision::Reload: reload(); return true;
    case OverwriteDecision::SaveAs: fileSaveAs(); return !editor.Modified();
    }
    if (!saveDocument(name))
        return false;
    setCurrentDocument(name, false);
    return true;
}

void DocumentSession::reload()
{
    openDocument(name);
}

void DocumentSession::resetSelectionAttributes(int size)
{
    editor.SetSelColor(Qt::black);
    editor.SetSelFontSize(size);
    editor.SetSelFontName(QStringLiteral("Arial"));
    editor.SetSelStyle(0);
}

void DocumentSession::showState()
{
    status.set(StatusPanel::Name, name);
    status.set(StatusPanel::Font, editor.SelFontName());
    status.set(StatusPanel::Size, QString::number(editor.SelFontSize()));
    status.set(StatusPanel::State, editor.Modified() ? QStringLiteral("Modified") : QStringLiteral("Unmodified"));
    status.set(StatusPanel::Mode,
               commands.plainText->isChecked() ? QStringLiteral("Plain Text") : QStringLiteral("Rich Text"));
    status.set(StatusPanel::Encoding, commands.plainText->isChecked()
                                          ? RichEditEncoding::nameOf(editor.TextFileFormat().encoding)
                                          : QString());
}

// Whether the document counts as new stays as it was: only the name changes.
void DocumentSession::showText(const QString& text, const QString& shownName)
{
    editor.SetText(text);
    editor.SetSelStart(0);
    editor.SetModified(false);
    name = shownName;
    showState();
}

void DocumentSession::showRecovered(const QByteArray& content, TextMode mode, const QString& documentName, bool isNew)
{
    if (mode == TextMode::Rich)
        setRichText();
    else
        setPlainText();
    editor.LoadFromBytes(content);
    name = documentName;
    documentIsNew = isNew;
    editor.SetModified(true);
    showState();
}

// ---- File commands ------------------------------------------------------------

void DocumentSession::fileNew()
{
    if (!saveChangesCheck())
        return;
    editor.Clear();
    editor.ClearUndo();           // the old document is not undone into the new one
    editor.SetTextFileFormat({}); // UTF-8 with LF
    resetSelectionAttributes(12);
    setCurrentDocument(newDocumentName, true);
    setWordWrapOn();
}

void DocumentSession::fileOpen()
{
    openDialog->InitialDir = AppSettings().OpenDir;
    if (!saveChangesCheck())
        return;
    if (!openDialog->Execute())
        return;
    openDocument(openDialog->FileName);
    setWordWrapOn();
    recentFiles->AddFilename(openDialog->FileName);
}

void DocumentSession::fileSave()
{
    saveDialog->InitialDir = AppSettings().SaveDir;
    if (docState() == DocState::NewModified)
        saveDocumentAs();
    if (docState() == DocState::NamedModified)
        saveNamed();
}

void DocumentSession::fileSaveAs()
{
    saveDialog->InitialDir = AppSettings().SaveDir;
    if (saveDocumentAs())
        recentFiles->AddFilename(saveDialog->FileName);
}

void DocumentSession::reopenIn(TTextEncoding encoding)
{
    if (documentIsNew || !saveChangesCheck())
        return;
    editor.LoadFromFile(name, encoding);
    setCurrentDocument(name, false);
}

// A new document is saved as a new file is, through the dialog; an unchanged
// one is written too, since its bytes change. Nothing saved: the encoding
// stays as it was.
void DocumentSession::saveIn(TTextEncoding encoding)
{
    const TTextFileFormat before = editor.TextFileFormat();
    TTextFileFormat format = before;
    format.encoding = encoding;
    editor.SetTextFileFormat(format);
    if (documentIsNew) {
        if (!saveDocumentAs())
            editor.SetTextFileFormat(before);
        return;
    }
    if (!saveDocument(name)) {
        editor.SetTextFileFormat(before);
        return;
    }
    setCurrentDocument(name, false);
}

void DocumentSession::openRecent(const QString& fileName)
{
    if (!saveChangesCheck())
        return;
    openDocument(fileName);
    setWordWrapOn();
}

// A drop replaces the document as Open does, so unsaved changes are asked
// about; but only once the file is known to open, so a drop of something that
// cannot be read asks nothing and changes nothing.
void DocumentSession::openDropped()
{
    if (fileDrop->FileCount() == 0)
        return;
    const QString fileName = fileDrop->Files().first();
    TFileStream(fileName, TFileStream::fmOpenRead);
    if (!saveChangesCheck())
        return;
    openDocument(fileName);
}

// ---- Modes ----------------------------------------------------------------------

void DocumentSession::togglePlainText()
{
    if (commands.plainText->isChecked())
        setRichText();
    else if (documentIsNew || MessageDlg(formattingLostQuestion, mtConfirmation, mbYesNo) == mrYes)
        setPlainText();
}

void DocumentSession::setPlainText()
{
    const bool modified = editor.Modified();
    commands.plainText->setChecked(true);
    editor.SetPlainText(true);
    saveDialog->Filter = QStringLiteral("Plain Text");
    resetOpenDialog(OpenSetup::Plain);
    emit modeChanged(TextMode::Plain);
    editor.SelectAll();
    resetSelectionAttributes(10);
    editor.SetModified(modified);
    showState();
    editor.SetSelStart(0);
}

void DocumentSession::setRichText()
{
    const bool modified = editor.Modified();
    commands.plainText->setChecked(false);
    editor.SetPlainText(false);
    saveDialog->Filter = QStringLiteral("Rich Text(*.rtf)|*.rtf");
    resetOpenDialog(OpenSetup::Open);
    emit modeChanged(TextMode::Rich);
    editor.SetModified(modified);
    showState();
}

void DocumentSession::resetOpenDialog(OpenSetup setup)
{
    switch (setup) {
    case OpenSetup::Open:
        openDialog->Filter = openFilter;
        openDialog->Title = QStringLiteral("Open");
        openDialog->InitialDir = AppSettings().OpenDir;
        break;
    case OpenSetup::Plain: // the title stays as it was
        openDialog->Filter = plainOpenFilter;
        openDialog->InitialDir = AppSettings().OpenDir;
        break;
    case OpenSetup::Attachments:
        openDialog->Filter = QStringLiteral("All Files|*.*");
        openDialog->Title = QStringLiteral("Attachments");
        openDialog->InitialDir = QDir::homePath();
        break;
    }
    openDialog->FilterIndex = 1;
}

// The dialog is left prepared for opening documents, as for rich text.
std::optional<QString> DocumentSession::chooseAttachment()
{
    resetOpenDialog(OpenSetup::Attachments);
    const bool chosen = openDialog->Execute();
    resetOpenDialog(OpenSetup::Open);
    return chosen ? std::optional(openDialog->FileName) : std::nullopt;
}

// ---- Word wrap ------------------------------------------------------------------

void DocumentSession::setWordWrapOn()
{
    editor.SetWordWrap(true);
    commands.wordWrap->setChecked(true);
}

void DocumentSession::toggleWordWrap()
{
    const bool wrap = !commands.wordWrap->isChecked();
    editor.SetWordWrap(wrap);
    commands.wordWrap->setChecked(wrap);
}
