#pragma once
// The main window: the one document being edited, its file life cycle and
// the save-changes protocol, the plain-text and rich-text modes, the size
// limit, the status bar, Stay On Top, help and About. It owns every other
// window and component of the program.
#include <QColor>
#include "widgets/PgSetup.h"

#include <QMainWindow>
#include <QStringList>
#include <QTime>

class QAction;
class QComboBox;
class QTimer;
class QDateEdit;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSpinBox;
class QTimeEdit;
class QToolButton;
class TColorGrid;
class TFileDrop;
class TFindDialog;
class TFontDialog;
class TReplaceDialog;
class TmsMessage;
class TmsSMTP;
class TMostRecentUsedList;
struct TmsDraft;
class TOpenDialog;
class TPrintDialog;
class TRichEdit;
class TSaveDialog;

// The status bar's panels, left to right.
enum class StatusPanel {
    Font,    // the selection's font name; also the mail client's status and the diagnostics
    Size,    // the selection's font size
    Mode,    // "Plain Text" or "Rich Text"
    Name,    // the document's name
    State,   // "Modified" or "Unmodified"; also the send progress and "Done"
};

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // arguments: the program's command-line arguments after the program name.
    explicit MainWindow(const QStringList& arguments = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Window state other windows read.
    float scaleFactor() const { return screenScale; }
    bool stayOnTopActive() const { return onTop; }
    const QString& docName() const { return documentName; }
    bool newDocument() const { return documentIsNew; }
    QString statusText(StatusPanel panel) const;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class DocState { Clean, NewModified, NamedModified };
    enum class SaveDecision { GoOn, SaveAs, Cancel, SaveNamed };
    enum class OpenSetup { Open, Plain, Attachments };   // what the shared open dialog is prepared for

    // Start and close.
    void FormCreate();
    void FormShow();
    bool FormCloseQuery();
    void N2Click();
    void SpeedButton15Click();

    // Building the controls.
    void buildMenus();
    void buildToolbar();
    void buildFormatBar();
    void buildStatusBar();
    void buildLayout();
    void buildComposePanel();
    void createMailComponents();
    void createFileComponents();
    void createPrintComponents();

    // Document session.
    DocState getDocState() const;
    SaveDecision confirmSave();
    bool executeSave(SaveDecision decision);
    bool saveChangesCheck();
    void setCurrentDocument(const QString& name, bool isNew);
    void openDocument(const QString& fileName);
    void saveDocument(const QString& fileName);
    void onFileDrop(const QString& fileName);
    void setWordWrapOn();
    void resetSelectionAttributes(int size);
    void New1Click();
    void Open1Click();
    void Save1Click();
    void SaveAs1Click();
    void MostRecentUsedList1SelectFilename(const QString& fileName);
    void FileDrop1Drop();

    // Modes and options.
    void PlainText1Click();
    void setPlainText();
    void setRichText();
    void setFormatControlsEnabled(bool enabled);
    void resetOpenDialog(OpenSetup setup);
    void applyDocMax();
    void MaxSize10Meg1Click();
    void StayOnTop1Click();
    void Settings1Click();

    // Printing, page setup and the window's width.
    void Print1Click();
    void PageSetup1Click();
    void ThousandthsToPixels(const TPSRect& margins);
    void SetEditRect();
    void DefaultSize1Click();
    void DefaultOnly1Click();
    void UsePageSetupWidth1Click();
    void FormResize();

    // The mailbox window: opened here, reaching back through its link.
    void RetreiveEmail1Click();
    friend class TMailboxLink;

    // Status bar, help, About.
    void upDateStatusBar();
    void setStatus(StatusPanel panel, const QString& text);
    void StatusBar1DblClick();
    void Contents1Click();
    void About1Click();
    void RichEdit1Change();
    void RichEdit1SelectionChange();
    void RichEdit1MaxLengthRefused();

    // Compose panel, sending, and the clipboard.
    void SendEmail1Click();
    void Button1Click();
    void AttEditDblClick();
    void SendBtnClick();
    void CancelBtnClick();
    void applyMailSettings();
    TmsDraft draftFromFields() const;
    QLineEdit* focusedComposeField() const;
    bool editorHasFocus() const;
    void Cut1Click();
    void Copy1Click();
    void Paste1Click();

    // Undo, the selection's formats and the format bar, word wrap, the context menu.
    void createEditComponents();
    void setChangeStates();
    void getCurrentSelState();
    void Undo1Click();
    void Redo1Click();
    void Bold1Click();
    void Italicize1Click();
    void Underline1Click();
    void toggleStyle(const QAction* item, int style);
    void Font1Click();
    void FontNameClick(const QString& name);
    void SpinEdit1Change();
    void ColorGrid1Click();
    void WordWrap1Click();
    void PopupMenu1Popup();

    // Find and replace.
    void Find1Click();
    void Replace1Click();
    void FindDialog1Find();
    void ReplaceDialog1Find();
    void ReplaceDialog1Replace();
    void DoReplaceAll(const QString& findText, const QString& replaceText);
    void createFindComponents();
    void findNext(const QString& text, int options);

    // Clock, stopwatch and date insertion.
    void createClockComponents();
    void dateTimePicker1DblClick();
    void DateTimePicker2DblClick();
    void insertAtSelectionStart(const QString& text);
    void SpeedButton14Click();
    void Timer1Timer();
    void StartClock1Click();
    void StartTimer1Click();
    void ShortDateFormat1Click();

    int scaled(int designPixels) const;

    // Window state.
    QString documentName;
    bool documentIsNew = true;
    float screenScale = 1.0f;
    int defaultWidth = 656;
    int defaultHeight = 450;
    bool onTop = false;
    bool pageSetupApplied = false;
    TPSRect pageRect;          // printer pixels from the printable area's origin
    float printerRatio = 1.0f; // screen pixels per printer pixel
    bool sending = false;
    bool shown = false;
    QString helpFile;
    QStringList commandLine;

    // Components and controls.
    TRichEdit* RichEdit1 = nullptr;
    TOpenDialog* OpenDialog1 = nullptr;
    TSaveDialog* SaveDialog1 = nullptr;
    TmsMessage* msMessage1 = nullptr;
    TmsSMTP* msSMTP1 = nullptr;
    TMostRecentUsedList* MostRecentUsedList1 = nullptr;
    TFileDrop* FileDrop1 = nullptr;
    TPrintDialog* PrintDialog1 = nullptr;
    TPageSetupDialog* PageSetupDialog1 = nullptr;
    QWidget* Panel1 = nullptr;   // toolbar
    QWidget* Panel2 = nullptr;   // format bar
    QWidget* Panel3 = nullptr;   // compose panel
    QLineEdit *toEdit = nullptr, *subjectEdit = nullptr, *eCC = nullptr, *AttEdit = nullptr;
    QPushButton *SendBtn = nullptr, *CancelBtn = nullptr, *Button1 = nullptr;
    QComboBox* FontName = nullptr;
    QSpinBox* SpinEdit1 = nullptr;
    TColorGrid* ColorGrid1 = nullptr;
    QDateEdit* DateTimePicker1 = nullptr;
    QTimeEdit* DateTimePicker2 = nullptr;
    QList<QLabel*> statusPanels;   // in StatusPanel order
    QToolButton *BoldButton = nullptr, *ItalicButton = nullptr, *UnderlineButton = nullptr;
    QToolButton* SpeedButton14 = nullptr;   // resets the date and time pickers
    TFontDialog* FontDialog1 = nullptr;
    TFindDialog* FindDialog1 = nullptr;
    TReplaceDialog* ReplaceDialog1 = nullptr;
    QTimer* Timer1 = nullptr;   // the running clock's tick

    // The selection's formats: which are uniform (set on a selection change),
    // and the values reported (refreshed after every format command).
    bool faceConsistent = true, sizeConsistent = true, colorConsistent = true, styleConsistent = true;
    QString selFontName;
    int selFontSize = 10;
    QColor selFontColor;
    QTime timerStart;   // when the stopwatch started

    // Menu items, named as the commands they carry.
    QAction *New1, *Open1, *Save1, *SaveAs1, *SendEmail1, *RetreiveEmail1, *PageSetup1, *Print1, *N2;
    QAction *Cut1, *Copy1, *Paste1, *Undo1, *Redo1, *Find1, *Replace1;
    QAction *Font1, *Bold1, *Italicize1, *Underline1, *PlainText1;
    QAction *DefaultSize1, *DefaultOnly1, *UsePageSetupWidth1, *MaxSize10Meg1, *WordWrap1,
        *StayOnTop1, *ShortDateFormat1, *StartClock1, *StartTimer1, *Settings1;
    QAction *Contents1, *About1;
    QMenu *File1, *Edit1, *TextAttributes1, *Options1, *Help1;
    QMenu* PopupMenu1 = nullptr;
    QAction *PopupCut1, *PopupCopy1, *PopupBold1, *PopupUnderline1, *PopupItalicize1;
    QAction *PageSetupWidth1, *DefaultWidth1;   // the context menu's width items
    QList<QAction*> richOnlyActions;   // the "B", "I" and "U" buttons follow their items
};
