#pragma once
// The main window: the one document being edited, its file life cycle and
// the save-changes protocol, the plain-text and rich-text modes, the size
// limit, the status bar, Stay On Top, help and About. It owns every other
// window and component of the program.
#include <QMainWindow>
#include <QStringList>

class QAction;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
class QLabel;
class QMenu;
class QSpinBox;
class QTimeEdit;
class QToolButton;
class TColorGrid;
class TmsMessage;
class TmsSMTP;
class TOpenDialog;
class TRichEdit;
class TSaveDialog;

// Document state, as getDocState gives it.
enum { dsClean = 0, dsNewModified = 1, dsNamedModified = 2 };
// Save decision, as confirmSave gives it.
enum { sdGoOn = 0, sdSaveAs = 1, sdCancel = 2, sdSaveNamed = 3 };

extern const QString NewDocumentName;   // "New Document"

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // arguments: the program's command-line arguments after the program name.
    explicit TForm1(const QStringList& arguments = {}, QWidget* parent = nullptr);
    ~TForm1() override;

    // Document session.
    int getDocState() const;
    int confirmSave();
    bool executeSave(int decision);
    void upDateStatusBar();
    void setPlainText();
    void setRichText();
    void resetOpenDialog(const QString& purpose);
    void onFileDrop(const QString& fileName);

    // Command handlers.
    void New1Click();
    void Open1Click();
    void Save1Click();
    void SaveAs1Click();
    void PlainText1Click();
    void MaxSize10Meg1Click();
    void StayOnTop1Click();
    void MostRecentUsedList1SelectFilename(const QString& fileName);
    void FileDrop1Drop(const QStringList& fileNames);
    void StatusBar1DblClick();
    void Contents1Click();
    void About1Click();
    void Settings1Click();
    void N2Click();
    void SpeedButton15Click();
    void RichEdit1Change();

    // Compose panel and the clipboard.
    void SendEmail1Click();
    void Button1Click();
    void AttEditDblClick();
    void SendBtnClick();
    void CancelBtnClick();
    void Cut1Click();
    void Copy1Click();
    void Paste1Click();
    QString getCopyFileName(const QString& directory);
    void RichEdit1SelectionChange();

    // Window state other windows read.
    QString docName;
    bool newDocument = true;
    float scaleFactor = 1.0f;
    int defaultWidth = 656;
    int defaultHeight = 450;
    bool stayOnTopActive = false;
    bool pageSetupApplied = false;
    QString helpFile;

    TRichEdit* RichEdit1 = nullptr;
    TOpenDialog* OpenDialog1 = nullptr;
    TSaveDialog* SaveDialog1 = nullptr;
    QWidget* Panel1 = nullptr;   // toolbar
    QWidget* Panel2 = nullptr;   // format bar
    QWidget* Panel3 = nullptr;   // compose panel
    QLineEdit *toEdit, *subjectEdit, *eCC, *AttEdit;
    QPushButton *SendBtn, *CancelBtn, *Button1;
    TmsMessage* msMessage1 = nullptr;
    TmsSMTP* msSMTP1 = nullptr;
    QComboBox* FontName = nullptr;
    QSpinBox* SpinEdit1 = nullptr;
    TColorGrid* ColorGrid1 = nullptr;
    QDateEdit* DateTimePicker1 = nullptr;
    QTimeEdit* DateTimePicker2 = nullptr;
    QList<QLabel*> StatusPanels;   // the status bar's five panels

    // Menu items, named as the commands they carry.
    QAction *New1, *Open1, *Save1, *SaveAs1, *SendEmail1, *RetreiveEmail1, *PageSetup1, *Print1, *N2;
    QAction *Cut1, *Copy1, *Paste1, *Undo1, *Find1, *Replace1;
    QAction *Font1, *Bold1, *Italicize1, *Underline1, *PlainText1;
    QAction *DefaultSize1, *DefaultOnly1, *UsePageSetupWidth1, *MaxSize10Meg1, *WordWrap1,
        *StayOnTop1, *ShortDateFormat1, *StartClock1, *StartTimer1, *Settings1;
    QAction *Contents1, *About1;
    QMenu *File1, *Edit1, *TextAttributes1, *Options1, *Help1;
    QList<QToolButton*> FormatButtons;   // "B", "I", "U"
    QMenu* PopupMenu1 = nullptr;
    QAction *PopupBold1, *PopupUnderline1, *PopupItalicize1;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    bool FormCloseQuery();
    void buildMenus();
    void buildToolbar();
    void buildFormatBar();
    void buildStatusBar();
    void buildLayout();
    void buildComposePanel();
    QLineEdit* focusedComposeField() const;
    void createMailComponents();
    void applyMailSettings();
    void fillMessage();
    bool sending = false;
    bool editorHasFocus() const;
    void applyDocMax();
    void setFormatControlsEnabled(bool enabled);
    void resetSelectionAttributes(int size);
    void loadDocument(const QString& fileName);
    void saveDocument(const QString& fileName);
    bool saveChangesCheck();
    void setWordWrapOn();
    int scaled(int designPixels) const;

    QStringList commandLine;
    bool shown = false;
    QList<QAction*> richOnlyActions;
};
