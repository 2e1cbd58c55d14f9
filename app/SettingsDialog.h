#pragma once
// The settings dialog: the four directories on one tab, the mail server,
// identity, login and mail options on the other, each tab with its own
// choice between this run only and keeping the values.
#include <QDialog>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QTabWidget;
class TBrowseFolder;
struct TSettingsStore;

class SettingsDialog : public QDialog {
    Q_OBJECT
public:
    explicit SettingsDialog(QWidget* owner);

    void loadFrom(const TSettingsStore& store);
    // Copies both tabs into the store and sets its two permanence flags.
    void storeInto(TSettingsStore& store) const;

    // Runs the dialog modally; tests replace the run with setAnswerer.
    int execute();
    using Answerer = std::function<int(SettingsDialog&)>;
    static void setAnswerer(Answerer answerer);

    QTabWidget* tabs;
    QWidget* directoryTab;
    QWidget* communicationsTab;
    QLineEdit *openDirectoryEdit, *saveDirectoryEdit, *savedEmailDirectoryEdit, *copyToSelfDirectoryEdit;
    QLineEdit *smtpServerEdit, *returnAddressEdit, *realNameEdit, *pop3ServerEdit, *userLoginEdit, *passwordEdit;
    QCheckBox *copyToSelfCheck, *deleteFromServerCheck, *requestReceiptCheck;
    // How each server is reached, and the SMTP login (empty: the POP3 login).
    QComboBox *smtpSecurityBox, *pop3SecurityBox;
    QCheckBox* smtpAuthenticationCheck;
    QLineEdit* smtpLoginEdit;
    // Beside each security choice, shown while None is chosen and a log-in goes to that server.
    QLabel *smtpClearLoginNote, *pop3ClearLoginNote;
    QRadioButton *keepDirectoriesButton, *directoriesThisRunButton, *keepCommunicationsButton,
        *communicationsThisRunButton;
    TBrowseFolder* folderBrowser;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildDirectoryTab();
    QWidget* buildCommunicationsTab();
    void browseSaveDirectory();
    void browseOpenDirectory();
    void browseSavedEmailDirectory();
    void browseCopyToSelfDirectory();
    void browseInto(QLineEdit* field, const QString& storedDirectory);
    void showClearLoginNotes();
    const TSettingsStore* shownStore = nullptr;
};
