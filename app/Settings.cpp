#include "app/Settings.h"

#include "app/SettingsStore.h"
#include "net/session/session.h"
#include "widgets/BrowseFolder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

TForm2::Answerer& answerer()
{
    static TForm2::Answerer instance;
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

} // namespace

TForm2::TForm2(QWidget* owner) : QDialog(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Settings"));
    BrowseFolder1 = new TBrowseFolder(this);
    BrowseFolder1->Flags = bfFileSysDirsOnly | bfStatusText;
    BrowseFolder1->ShowPathInStatusArea = false;
    PageControl1 = new QTabWidget;
    DirectoryTab = buildDirectoryTab();
    CommunicationsTab = buildCommunicationsTab();
    PageControl1->addTab(DirectoryTab, QStringLiteral("Directory Settings"));
    PageControl1->addTab(CommunicationsTab, QStringLiteral("Communications Settings"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    column->addWidget(PageControl1);
}

QWidget* TForm2::buildDirectoryTab()
{
    auto* tab = new QWidget;
    auto* form = new QFormLayout;
    SaveDirEdit = field("SaveDirEdit", "Double click her to choose default 'Save' directory");
    OpenDirEdit = field("OpenDirEdit", "Double click here to choose default 'Open' directory");
    EmailDirEdit = field("EmailDirEdit", "Double click here to choose default saved email directory");
    CopyToSelfEdit = field("CopyToSelfEdit",
                           "Double click here to choose directory for saving copies to self of outgoing email");
    form->addRow(QStringLiteral("Default Open Directory:"), OpenDirEdit);
    form->addRow(QStringLiteral("Default Save Directory:"), SaveDirEdit);
    form->addRow(QStringLiteral("Saved Email Directory:"), EmailDirEdit);
    form->addRow(QStringLiteral("Copy To Self Directory"), CopyToSelfEdit);
    for (QLineEdit* edit : {SaveDirEdit, OpenDirEdit, EmailDirEdit, CopyToSelfEdit})
        edit->installEventFilter(this);
    auto* column = new QVBoxLayout(tab);
    column->setContentsMargins(8, 6, 8, 6);
    column->addLayout(form);
    column->addLayout(tabFooter(this, WriteDirSettings, NoWriteDir));
    WriteDirSettings->setObjectName(QStringLiteral("WriteDirSettings"));
    NoWriteDir->setObjectName(QStringLiteral("NoWriteDir"));
    return tab;
}

QWidget* TForm2::buildCommunicationsTab()
{
    auto* tab = new QWidget;
    SMTPServer = field("SMTPServer");
    ReturnEmail = field("ReturnEmail");
    RealName = field("RealName");
    POP3ServerEdit = field("POP3ServerEdit");
    UserLoginEdit = field("UserLoginEdit");
    PasswordEdit = field("PasswordEdit");
    PasswordEdit->setEchoMode(QLineEdit::Password);
    SMTPSecurityBox = securityBox("SMTPSecurityBox", "SMTP security",
                                  "How the SMTP connection is protected; without a port in the server name, "
                                  "None uses 25, STARTTLS 587 and TLS 465");
    POP3SecurityBox = securityBox("POP3SecurityBox", "POP3 security",
                                  "How the POP3 connection is protected; without a port in the server name, "
                                  "None and STARTTLS use 110 and TLS 995");
    SMTPAuthCheck = checkBox("SMTPAuthCheck", "Log in to the SMTP server");
    SMTPLoginEdit = field("SMTPLoginEdit", "The login for the SMTP server; empty: the User Login");
    SMTPLoginEdit->setPlaceholderText(QStringLiteral("as User Login"));
    SMTPLoginEdit->setEnabled(false);
    connect(SMTPAuthCheck, &QCheckBox::toggled, SMTPLoginEdit, &QWidget::setEnabled);
    auto* left = new QFormLayout;
    left->setVerticalSpacing(3);
    left->addRow(QStringLiteral("SMTP Server Name:"), SMTPServer);
    left->addRow(QStringLiteral("Security:"), SMTPSecurityBox);
    left->addRow(QStringLiteral("Return Email Address:"), ReturnEmail);
    left->addRow(QStringLiteral("Name:"), RealName);
    auto* right = new QFormLayout;
    right->setVerticalSpacing(3);
    right->addRow(QStringLiteral("POP3 Server:"), POP3ServerEdit);
    right->addRow(QStringLiteral("Security:"), POP3SecurityBox);
    right->addRow(QStringLiteral("User Login:"), UserLoginEdit);
    right->addRow(QStringLiteral("Password:"), PasswordEdit);
    right->addRow(QStringLiteral("SMTP Login:"), SMTPLoginEdit);
    auto* fields = new QHBoxLayout;
    fields->addLayout(left);
    fields->addLayout(right);
    CopyToSelfCheck = checkBox("CopyToSelfCheck", "Save Copy to Self of Sent Email");
    DelFromServ = checkBox("DelFromServ", "Delete Mail From Server After Downloading");
    RequestConfirm = checkBox("RequestConfirm", "Request Receipt Confirmation of Sent Email");
    auto* checks = new QVBoxLayout;
    checks->setSpacing(2);
    checks->addWidget(CopyToSelfCheck);
    checks->addWidget(DelFromServ);
    checks->addWidget(RequestConfirm);
    checks->addWidget(SMTPAuthCheck);
    checks->addStretch();
    auto* lower = new QHBoxLayout;
    lower->addLayout(checks);
    lower->addLayout(tabFooter(this, WriteCommSettings, NoWriteComm), 1);
    auto* column = new QVBoxLayout(tab);
    column->setContentsMargins(8, 6, 8, 6);
    column->setSpacing(4);
    column->addLayout(fields);
    column->addLayout(lower);
    WriteCommSettings->setObjectName(QStringLiteral("WriteCommSettings"));
    NoWriteComm->setObjectName(QStringLiteral("NoWriteComm"));
    return tab;
}

void TForm2::LoadFrom(const TSettingsStore& s)
{
    shownStore = &s;
    SMTPServer->setText(s.SMTPServer);
    ReturnEmail->setText(s.EmailAddress);
    RealName->setText(s.UserName);
    POP3ServerEdit->setText(s.POP3Server);
    UserLoginEdit->setText(s.POP3Login);
    PasswordEdit->setText(s.Password);
    DelFromServ->setChecked(!s.KeepMailOnServer);
    RequestConfirm->setChecked(s.ConfirmEmailReceipt);
    CopyToSelfCheck->setChecked(s.CopySelf);
    showSecurity(SMTPSecurityBox, s.SMTPSecurity);
    showSecurity(POP3SecurityBox, s.POP3Security);
    SMTPAuthCheck->setChecked(s.SMTPAuth);
    SMTPLoginEdit->setText(s.SMTPLogin);
    EmailDirEdit->setText(s.SavedEmail);
    OpenDirEdit->setText(s.OpenDir);
    SaveDirEdit->setText(s.SaveDir);
    CopyToSelfEdit->setText(s.CopySelfDir);
}

void TForm2::StoreInto(TSettingsStore& s) const
{
    s.SMTPServer = SMTPServer->text();
    s.EmailAddress = ReturnEmail->text();
    s.UserName = RealName->text();
    s.POP3Server = POP3ServerEdit->text();
    s.POP3Login = UserLoginEdit->text();
    s.Password = PasswordEdit->text();
    s.KeepMailOnServer = !DelFromServ->isChecked();
    s.ConfirmEmailReceipt = RequestConfirm->isChecked();
    s.CopySelf = CopyToSelfCheck->isChecked();
    s.SMTPSecurity = chosenSecurity(SMTPSecurityBox);
    s.POP3Security = chosenSecurity(POP3SecurityBox);
    s.SMTPAuth = SMTPAuthCheck->isChecked();
    s.SMTPLogin = SMTPLoginEdit->text();
    s.SavedEmail = EmailDirEdit->text();
    s.OpenDir = OpenDirEdit->text();
    s.SaveDir = SaveDirEdit->text();
    s.CopySelfDir = CopyToSelfEdit->text();
    s.commPermanent = WriteCommSettings->isChecked();
    s.dirPermanent = WriteDirSettings->isChecked();
}

int TForm2::Execute()
{
    return answerer() ? answerer()(*this) : exec();
}

void TForm2::SetAnswerer(Answerer a)
{
    answerer() = std::move(a);
}

// The browser starts at the stored setting, not at the text in the field.
void TForm2::browseInto(QLineEdit* edit, const QString& storedDirectory)
{
    BrowseFolder1->Directory = storedDirectory;
    if (BrowseFolder1->Execute())
        edit->setText(BrowseFolder1->Directory);
}

void TForm2::SaveDirEditDblClick()
{
    browseInto(SaveDirEdit, shownStore ? shownStore->SaveDir : QString());
}

void TForm2::OpenDirEditDblClick()
{
    browseInto(OpenDirEdit, shownStore ? shownStore->OpenDir : QString());
}

void TForm2::EmailDirEditDblClick()
{
    browseInto(EmailDirEdit, shownStore ? shownStore->SavedEmail : QString());
}

void TForm2::CopyToSelfEditDblClick()
{
    browseInto(CopyToSelfEdit, shownStore ? shownStore->CopySelfDir : QString());
}

bool TForm2::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (watched == SaveDirEdit)
            SaveDirEditDblClick();
        else if (watched == OpenDirEdit)
            OpenDirEditDblClick();
        else if (watched == EmailDirEdit)
            EmailDirEditDblClick();
        else if (watched == CopyToSelfEdit)
            CopyToSelfEditDblClick();
        else
            return QDialog::eventFilter(watched, event);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
