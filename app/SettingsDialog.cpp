#include "app/SettingsDialog.h"

#include "app/SettingsStore.h"
#include "net/session/session.h"
#include "widgets/BrowseFolder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

SettingsDialog::Answerer& answerer()
{
    static SettingsDialog::Answerer instance;
    return instance;
}

QLineEdit* field(const QString& name, const QString& hint = {})
{
    auto* edit = new QLineEdit;
    edit->setObjectName(name);
    edit->setToolTip(hint);
    return edit;
}

QCheckBox* checkBox(const QString& name, const QString& caption)
{
    auto* box = new QCheckBox(caption);
    box->setObjectName(name);
    return box;
}

// The choice of None, STARTTLS or TLS for one server, kept to its width.
QComboBox* securityBox(const QString& name, const QString& accessibleName, const QString& hint)
{
    auto* box = new QComboBox;
    box->setObjectName(name);
    box->setAccessibleName(accessibleName);
    box->setToolTip(hint);
    box->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    for (const TmsSecurityName& choice : SecurityNames)
        box->addItem(QLatin1String(choice.name), int(choice.security));
    return box;
}

// Says that a log-in without TLS gives the password away to anyone on the way.
QLabel* clearLoginNote(const QString& name)
{
    auto* note = new QLabel(QStringLiteral("Password unencrypted"));
    note->setObjectName(name);
    note->setToolTip(
        QStringLiteral("Without TLS the log-in, password included, crosses the network as readable "
                       "text: choose STARTTLS or TLS when the server offers them"));
    return note;
}

// The security choice with room beside it for the note.
QHBoxLayout* securityRow(QComboBox* box, QLabel* note)
{
    auto* row = new QHBoxLayout;
    row->addWidget(box);
    row->addWidget(note);
    row->addStretch();
    return row;
}

void showSecurity(QComboBox* box, TmsSecurity security)
{
    box->setCurrentIndex(box->findData(int(security)));
}

TmsSecurity chosenSecurity(const QComboBox* box)
{
    return TmsSecurity(box->currentData().toInt());
}

// The "OK"/"Cancel" buttons and the permanence choice that each tab carries.
QVBoxLayout* tabFooter(QDialog* dialog, QRadioButton*& keep, QRadioButton*& runOnly)
{
    auto* group = new QGroupBox;
    auto* choices = new QVBoxLayout(group);
    choices->setContentsMargins(8, 4, 8, 4);
    choices->setSpacing(2);
    keep = new QRadioButton(QStringLiteral("Make these settings permanent."));
    runOnly = new QRadioButton(QStringLiteral("Use them only for this session."));
    runOnly->setChecked(true);
    choices->addWidget(keep);
    choices->addWidget(runOnly);
    auto* ok = new QPushButton(QStringLiteral("OK"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"));
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* footer = new QVBoxLayout;
    footer->addWidget(group);
    footer->addLayout(buttons);
    return footer;
}

// A stored folder that is gone opens the browser at its nearest existing
// parent, so a blind OK stays close to what the setting meant. Each step
// drops the last part of the path, so the walk ends at the root.
QString nearestExistingFolder(const QString& stored)
{
    if (stored.isEmpty())
        return stored;
    QString folder = QDir::cleanPath(QDir(stored).absolutePath());
    while (!QDir(folder).exists() && !QDir(folder).isRoot())
        folder = QFileInfo(folder).path();
    return folder;
}

} // namespace

SettingsDialog::SettingsDialog(QWidget* owner)
    : QDialog(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Settings"));
    folderBrowser = new TBrowseFolder(this);
    folderBrowser->Flags = bfFileSysDirsOnly | bfStatusText;
    folderBrowser->ShowPathInStatusArea = false;
    tabs = new QTabWidget;
    directoryTab = buildDirectoryTab();
    communicationsTab = buildCommunicationsTab();
    tabs->addTab(directoryTab, QStringLiteral("Directory Settings"));
    tabs->addTab(communicationsTab, QStringLiteral("Communications Settings"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    column->addWidget(tabs);
}

QWidget* SettingsDialog::buildDirectoryTab()
{
    auto* tab = new QWidget;
    auto* form = new QFormLayout;
    saveDirectoryEdit = field("SaveDirEdit", "Double click her to choose default 'Save' directory");
    openDirectoryEdit = field("OpenDirEdit", "Double click here to choose default 'Open' directory");
    savedEmailDirectoryEdit = field("EmailDirEdit", "Double click here to choose default saved email directory");
    copyToSelfDirectoryEdit = field(
        "CopyToSelfEdit", "Double click here to choose directory for saving copies to self of outgoing email");
    form->addRow(QStringLiteral("Default Open Directory:"), openDirectoryEdit);
    form->addRow(QStringLiteral("Default Save Directory:"), saveDirectoryEdit);
    form->addRow(QStringLiteral("Saved Email Directory:"), savedEmailDirectoryEdit);
    form->addRow(QStringLiteral("Copy To Self Directory"), copyToSelfDirectoryEdit);
    for (QLineEdit* edit : {saveDirectoryEdit, openDirectoryEdit, savedEmailDirectoryEdit, copyToSelfDirectoryEdit})
        edit->installEventFilter(this);
    auto* column = new QVBoxLayout(tab);
    column->setContentsMargins(8, 6, 8, 6);
    column->addLayout(form);
    column->addLayout(tabFooter(this, keepDirectoriesButton, directoriesThisRunButton));
    keepDirectoriesButton->setObjectName(QStringLiteral("WriteDirSettings"));
    directoriesThisRunButton->setObjectName(QStringLiteral("NoWriteDir"));
    return tab;
}

QWidget* SettingsDialog::buildCommunicationsTab()
{
    auto* tab = new QWidget;
    smtpServerEdit = field("SMTPServer");
    returnAddressEdit = field("ReturnEmail");
    realNameEdit = field("RealName");
    pop3ServerEdit = field("POP3ServerEdit");
    userLoginEdit = field("UserLoginEdit");
    passwordEdit = field("PasswordEdit");
    passwordEdit->setEchoMode(QLineEdit::Password);
    smtpSecurityBox = securityBox("SMTPSecurityBox", "SMTP security",
                                  "How the SMTP connection is protected; without a port in the server name, "
                                  "None uses 25, STARTTLS 587 and TLS 465");
    pop3SecurityBox = securityBox("POP3SecurityBox", "POP3 security",
                                  "How the POP3 connection is protected; without a port in the server name, "
                                  "None and STARTTLS use 110 and TLS 995");
    smtpAuthenticationCheck = checkBox("SMTPAuthCheck", "Log in to the SMTP server");
    smtpLoginEdit = field("SMTPLoginEdit", "The login for the SMTP server; empty: the User Login");
    smtpLoginEdit->setPlaceholderText(QStringLiteral("as User Login"));
    smtpLoginEdit->setEnabled(false);
    connect(smtpAuthenticationCheck, &QCheckBox::toggled, smtpLoginEdit, &QWidget::setEnabled);
    smtpClearLoginNote = clearLoginNote("SMTPClearLoginNote");
    pop3ClearLoginNote = clearLoginNote("POP3ClearLoginNote");
    for (QComboBox* box : {smtpSecurityBox, pop3SecurityBox})
        connect(box, &QComboBox::currentIndexChanged, this, &SettingsDialog::showClearLoginNotes);
    connect(smtpAuthenticationCheck, &QCheckBox::toggled, this, &SettingsDialog::showClearLoginNotes);
    connect(userLoginEdit, &QLineEdit::textChanged, this, &SettingsDialog::showClearLoginNotes);
    auto* left = new QFormLayout;
    left->setVerticalSpacing(3);
    left->addRow(QStringLiteral("SMTP Server Name:"), smtpServerEdit);
    left->addRow(QStringLiteral("Security:"), securityRow(smtpSecurityBox, smtpClearLoginNote));
    left->addRow(QStringLiteral("Return Email Address:"), returnAddressEdit);
    left->addRow(QStringLiteral("Name:"), realNameEdit);
    auto* right = new QFormLayout;
    right->setVerticalSpacing(3);
    right->addRow(QStringLiteral("POP3 Server:"), pop3ServerEdit);
    right->addRow(QStringLiteral("Security:"), securityRow(pop3SecurityBox, pop3ClearLoginNote));
    right->addRow(QStringLiteral("User Login:"), userLoginEdit);
    right->addRow(QStringLiteral("Password:"), passwordEdit);
    right->addRow(QStringLiteral("SMTP Login:"), smtpLoginEdit);
    auto* fields = new QHBoxLayout;
    fields->addLayout(left);
    fields->addLayout(right);
    copyToSelfCheck = checkBox("CopyToSelfCheck", "Save Copy to Self of Sent Email");
    deleteFromServerCheck = checkBox("DelFromServ", "Delete Mail From Server After Downloading");
    requestReceiptCheck = checkBox("RequestConfirm", "Request Receipt Confirmation of Sent Email");
    auto* checks = new QVBoxLayout;
    checks->setSpacing(2);
    checks->addWidget(copyToSelfCheck);
    checks->addWidget(deleteFromServerCheck);
    checks->addWidget(requestReceiptCheck);
    checks->addWidget(smtpAuthenticationCheck);
    checks->addStretch();
    auto* lower = new QHBoxLayout;
    lower->addLayout(checks);
    lower->addLayout(tabFooter(this, keepCommunicationsButton, communicationsThisRunButton), 1);
    auto* column = new QVBoxLayout(tab);
    column->setContentsMargins(8, 6, 8, 6);
    column->setSpacing(4);
    column->addLayout(fields);
    column->addLayout(lower);
    keepCommunicationsButton->setObjectName(QStringLiteral("WriteCommSettings"));
    communicationsThisRunButton->setObjectName(QStringLiteral("NoWriteComm"));
    showClearLoginNotes();
    return tab;
}

// The POP3 client always logs in; the SMTP client only when asked to.
void SettingsDialog::showClearLoginNotes()
{
    const bool plainSmtp = chosenSecurity(smtpSecurityBox) == TmsSecurity::None;
    const bool plainPop3 = chosenSecurity(pop3SecurityBox) == TmsSecurity::None;
    smtpClearLoginNote->setVisible(plainSmtp && smtpAuthenticationCheck->isChecked());
    pop3ClearLoginNote->setVisible(plainPop3 && !userLoginEdit->text().isEmpty());
}

void SettingsDialog::loadFrom(const TSettingsStore& s)
{
    shownStore = &s;
    smtpServerEdit->setText(s.SMTPServer);
    returnAddressEdit->setText(s.EmailAddress);
    realNameEdit->setText(s.UserName);
    pop3ServerEdit->setText(s.POP3Server);
    userLoginEdit->setText(s.POP3Login);
    passwordEdit->setText(s.Password);
    deleteFromServerCheck->setChecked(!s.KeepMailOnServer);
    requestReceiptCheck->setChecked(s.ConfirmEmailReceipt);
    copyToSelfCheck->setChecked(s.CopySelf);
    showSecurity(smtpSecurityBox, s.SMTPSecurity);
    showSecurity(pop3SecurityBox, s.POP3Security);
    smtpAuthenticationCheck->setChecked(s.SMTPAuth);
    smtpLoginEdit->setText(s.SMTPLogin);
    savedEmailDirectoryEdit->setText(s.SavedEmail);
    openDirectoryEdit->setText(s.OpenDir);
    saveDirectoryEdit->setText(s.SaveDir);
    copyToSelfDirectoryEdit->setText(s.CopySelfDir);
}

void SettingsDialog::storeInto(TSettingsStore& s) const
{
    s.SMTPServer = smtpServerEdit->text();
    s.EmailAddress = returnAddressEdit->text();
    s.UserName = realNameEdit->text();
    s.POP3Server = pop3ServerEdit->text();
    s.POP3Login = userLoginEdit->text();
    s.Password = passwordEdit->text();
    s.KeepMailOnServer = !deleteFromServerCheck->isChecked();
    s.ConfirmEmailReceipt = requestReceiptCheck->isChecked();
    s.CopySelf = copyToSelfCheck->isChecked();
    s.SMTPSecurity = chosenSecurity(smtpSecurityBox);
    s.POP3Security = chosenSecurity(pop3SecurityBox);
    s.SMTPAuth = smtpAuthenticationCheck->isChecked();
    s.SMTPLogin = smtpLoginEdit->text();
    s.SavedEmail = savedEmailDirectoryEdit->text();
    s.OpenDir = openDirectoryEdit->text();
    s.SaveDir = saveDirectoryEdit->text();
    s.CopySelfDir = copyToSelfDirectoryEdit->text();
    s.commPermanent = keepCommunicationsButton->isChecked();
    s.dirPermanent = keepDirectoriesButton->isChecked();
}

int SettingsDialog::execute()
{
    return answerer() ? answerer()(*this) : exec();
}

void SettingsDialog::setAnswerer(Answerer a)
{
    answerer() = std::move(a);
}

// The browser starts at the stored setting, not at the text in the field.
void SettingsDialog::browseInto(QLineEdit* edit, const QString& storedDirectory)
{
    folderBrowser->Directory = nearestExistingFolder(storedDirectory);
    if (folderBrowser->Execute())
        edit->setText(folderBrowser->Directory);
}

void SettingsDialog::browseSaveDirectory()
{
    browseInto(saveDirectoryEdit, shownStore ? shownStore->SaveDir : QString());
}

void SettingsDialog::browseOpenDirectory()
{
    browseInto(openDirectoryEdit, shownStore ? shownStore->OpenDir : QString());
}

void SettingsDialog::browseSavedEmailDirectory()
{
    browseInto(savedEmailDirectoryEdit, shownStore ? shownStore->SavedEmail : QString());
}

void SettingsDialog::browseCopyToSelfDirectory()
{
    browseInto(copyToSelfDirectoryEdit, shownStore ? shownStore->CopySelfDir : QString());
}

bool SettingsDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (watched == saveDirectoryEdit)
            browseSaveDirectory();
        else if (watched == openDirectoryEdit)
            browseOpenDirectory();
        else if (watched == savedEmailDirectoryEdit)
            browseSavedEmailDirectory();
        else if (watched == copyToSelfDirectoryEdit)
            browseCopyToSelfDirectory();
        else
            return QDialog::eventFilter(watched, event);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
