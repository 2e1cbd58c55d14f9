#pragma once
// The one document being edited: new, open, save and save as, the
// save-changes questions, the recent-files list, files dropped on the editor,
// the plain-text and rich-text modes, word wrap, and what the status bar
// shows of it all.
#include "toolkit/gui/RichEditEncoding.h"

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class QAction;
class QMenu;
class QWidget;
class StatusPanels;
class TFileDrop;
class TMostRecentUsedList;
class TOpenDialog;
class TRichEdit;
class TSaveDialog;

enum class TextMode { Plain, Rich };
// What Save does when the document's file may have changed on disk.
enum class OverwriteDecision { Write, Reload, SaveAs };

class DocumentSession : public QObject {
    Q_OBJECT
public:
    // window: the owner of the file dialogs.
    DocumentSession(TRichEdit& editor, StatusPanels& status, QWidget* window);

    QAction* newAction() const { return commands.fileNew; }
    QAction* openAction() const { return commands.open; }
    QAction* saveAction() const { return commands.save; }
    QAction* saveAsAction() const { return commands.saveAs; }
    QAction* plainTextAction() const { return commands.plainText; }
    QAction* wordWrapAction() const { return commands.wordWrap; }

    const QString& documentName() const { return name; }
    bool isNew() const { return documentIsNew; }
    TextMode textMode() const;

    // The recent-files list on fileMenu, and the editor as the target of
    // files dropped from the file manager.
    void attachFileSources(QMenu& fileMenu);
    // The run starts in plain text.
    void start();
    void openCommandLineFile(const QString& fileName);
    // Asks about unsaved changes and saves them if wanted; false: the
    // calling operation stops.
    bool saveChangesCheck();
    // The named plain-text file read again as encoding, after the question
    // about unsaved changes.
    void reopenIn(TTextEncoding encoding);
    // Saves the document as plain text in encoding (asking for a name when
    // it is new); later saves keep it.
    void saveIn(TTextEncoding encoding);
    // Shows the document's name, state, mode and the selection's font.
    void showState();
    // Replaces the text with one that is nowhere on disk yet, under name.
    void showText(const QString& text, const QString& name);
    // Text kept from an earlier run, shown as unsaved changes to documentName.
    void showRecovered(const QByteArray& content, TextMode mode, const QString& documentName, bool isNew);
    // Asked before Save writes over the document's own file.
    void setOverwriteCheck(std::function<OverwriteDecision(const QString&)> check)
    {
        overwriteCheck = std::move(check);
    }
    // Reads the document's file again, dropping the changes.
    void reload();
    // The shared open dialog prepared for attachments: the file chosen, if any.
    std::optional<QString> chooseAttachment();

signals:
    void modeChanged(TextMode mode);
    void documentOpened();
    // The document matches its file, or is new and empty: nothing to recover.
    void documentSettled();

private:
    enum class DocState { Clean, NewModified, NamedModified };
    enum class SaveDecision { GoOn, SaveAs, Cancel, SaveNamed };
    enum class OpenSetup { Open, Plain, Attachments }; // what the shared open dialog is prepared for

    DocState docState() const;
    SaveDecision confirmSave();
    bool executeSave(SaveDecision decision);
    void setCurrentDocument(const QString& fileName, bool isNew);
    void openDocument(const QString& fileName);
    // false: the text does not fit the file's encoding and the user chose
    // not to save it as UTF-8; nothing was written.
    bool saveDocument(const QString& fileName);
    bool saveDocumentAs();
    bool saveNamed();
    void resetSelectionAttributes(int size);
    void setWordWrapOn();
    void fileNew();
    void fileOpen();
    void fileSave();
    void fileSaveAs();
    void openRecent(const QString& fileName);
    void openDropped();
    void togglePlainText();
    void setPlainText();
    void setRichText();
    void resetOpenDialog(OpenSetup setup);
    void toggleWordWrap();

    TRichEdit& editor;
    StatusPanels& status;
    QString name;
    bool documentIsNew = true;
    TOpenDialog* openDialog;
    TSaveDialog* saveDialog;
    TMostRecentUsedList* recentFiles = nullptr;
    TFileDrop* fileDrop = nullptr;
    std::function<OverwriteDecision(const QString&)> overwriteCheck;
    struct {
        QAction *fileNew, *open, *save, *saveAs, *plainText, *wordWrap;
    } commands;
};
