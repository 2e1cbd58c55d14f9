#pragma once
// The settings dialog: the four directories on one tab, the mail server,
// identity, login and mail options on the other, each tab with its own
// choice between this run only and keeping the values.
#include <QDialog>
#include <functional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;
class QTabWidget;
class TBrowseFolder;
struct TSettingsStore;

class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget* owner);

    void LoadFrom(const TSettingsStore& store);
    // Copies both tabs into the store and sets its two permanence flags.
    void StoreInto(TSettingsStore& store) const;

    // Runs the dialog modally; tests replace the run with SetAnswerer.
    int Execute();
    using Answerer = std::function<int(TForm2&)>;
    static void SetAnswerer(Answerer answerer);

    void SaveDirEditDblClick();
    void OpenDirEditDblClick();
    void EmailDirEditDblClick();
    void CopyToSelfEditDblClick();

    QTabWidget* PageControl1;
    QWidget* DirectoryTab;
    QWidget* CommunicationsTab;
    QLineEdit *OpenDirEdit, *SaveDirEdit, *EmailDirEdit, *CopyToSelfEdit;
    QLineEdit *SMTPServer, *ReturnEmail, *RealName, *POP3ServerEdit, *UserLoginEdit, *PasswordEdit;
    QCheckBox *CopyToSelfCheck, *DelFromServ, *RequestConfirm;
    // How each server is reached, and the SMTP login (empty: the POP3 login).
    QComboBox *SMTPSecurityBox, *POP3SecurityBox;
    QCheckBox* SMTPAuthCheck;
    QLineEdit* SMTPLoginEdit;
    QRadioButton *WriteDirSettings, *NoWriteDir, *WriteCommSettings, *NoWriteComm;
    TBrowseFolder* BrowseFolder1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildDirectoryTab();
    QWidget* buildCommunicationsTab();
    void browseInto(QLineEdit* field, const QString& storedDirectory);
    const TSettingsStore* shownStore = nullptr;
};
