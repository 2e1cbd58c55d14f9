#include "Answers.h"
#include "FreshSettings.h"
#include "WindowParts.h"

#include "app/MainU.h"
#include "app/Settings.h"
#include "app/SettingsStore.h"
#include "net/smtp/smtp_client.h"
#include "toolkit/Registry.h"
#include "widgets/BrowseFolder.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

class SettingsDialogTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    std::unique_ptr<Answers> answers;
    std::unique_ptr<TForm1> form;

    // Runs "&Settings" with the user's actions on the open dialog.
    void runSettings(const std::function<int(TForm2&)>& user)
    {
        TForm2::SetAnswerer(user);
        trigger(*form, "Settings1");
        TForm2::SetAnswerer({});
    }

private slots:
    void init()
    {
        UseFreshSettings(dir.filePath("config"));
        answers = std::make_unique<Answers>();
        form = std::make_unique<TForm1>();
        AppSettings().SMTPServer = "old.example.org";
        AppSettings().OpenDir = "/old/open";
    }

    void cleanup()
    {
        form.reset();
        answers.reset();
    }

    void opensOnTheDirectoryTabFilledFromTheStore()
    {
        AppSettings().DeleteFromServer = false;
        AppSettings().Password = "secret";
        QStringList seen;
        runSettings([&](TForm2& d) {
            seen << d.windowTitle() << d.PageControl1->tabText(d.PageControl1->currentIndex())
                 << d.SMTPServer->text() << d.OpenDirEdit->text() << d.PasswordEdit->text()
                 << QString::number(d.PasswordEdit->echoMode() == QLineEdit::Password)
                 << QString::number(d.DelFromServ->isChecked())
                 << QString::number(d.NoWriteDir->isChecked() && d.NoWriteComm->isChecked());
            return int(QDialog::Rejected);
        });
        QCOMPARE(seen, QStringList({"Settings", "Directory Settings", "old.example.org", "/old/open", "secret",
                                    "1", "1", "1"})); // the check box shows DeleteFromServer inverted
    }

    void okTakesBothTabsAndWritesOnlyTheChosenGroups_data()
    {
        QTest::addColumn<bool>("keepDirs");
        QTest::addColumn<bool>("keepComm");
        QTest::newRow("this session only") << false << false;
        QTest::newRow("directories kept") << true << false;
        QTest::newRow("communications kept") << false << true;
        QTest::newRow("both kept") << true << true;
    }

    void okTakesBothTabsAndWritesOnlyTheChosenGroups()
    {
        QFETCH(bool, keepDirs);
        QFETCH(bool, keepComm);
        runSettings([&](TForm2& d) {
            d.SMTPServer->setText("new.example.org");
            d.OpenDirEdit->setText("/new/open");
            d.DelFromServ->setChecked(false);
            (keepDirs ? d.WriteDirSettings : d.NoWriteDir)->setChecked(true);
            (keepComm ? d.WriteCommSettings : d.NoWriteComm)->setChecked(true);
            return int(QDialog::Accepted);
        });
        // The values hold for this run whatever the choice.
        QCOMPARE(AppSettings().SMTPServer, QString("new.example.org"));
        QCOMPARE(AppSettings().OpenDir, QString("/new/open"));
        QVERIFY(AppSettings().DeleteFromServer);

        TRegistry reg;
        reg.OpenKey("\\Software\\Penvale", false);
        QCOMPARE(reg.ValueExists("OpenDir"), keepDirs);
        QCOMPARE(reg.ValueExists("SMTPServer"), keepComm);
        if (keepComm)
            QCOMPARE(reg.ReadString("SMTPServer"), QString("new.example.org"));
        if (keepDirs)
            QCOMPARE(reg.ReadString("OpenDir"), QString("/new/open"));
    }

    void securityAndSmtpLoginLoadSaveAndReachTheClient()
    {
        AppSettings().SMTPSecurity = TmsSecurity::Tls;
        AppSettings().POP3Security = TmsSecurity::None;
        AppSettings().SMTPAuth = false;
        AppSettings().SMTPLogin = "submitter";
        AppSettings().POP3Login = "popper";
        AppSettings().Password = "secret";
        QStringList shown, names;
        runSettings([&](TForm2& d) {
            shown << d.SMTPSecurityBox->currentText() << d.POP3SecurityBox->currentText()
                  << QString::number(d.SMTPAuthCheck->isChecked()) << d.SMTPLoginEdit->text()
                  << QString::number(d.SMTPLoginEdit->isEnabled());
            // A combo box reads out its choice; its name tells the two apart.
            names << d.SMTPSecurityBox->accessibleName() << d.POP3SecurityBox->accessibleName();
            for (QWidget* control : {(QWidget*)d.SMTPAuthCheck, (QWidget*)d.SMTPLoginEdit})
                names << QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name);
            d.SMTPSecurityBox->setCurrentText("STARTTLS");
            d.POP3SecurityBox->setCurrentText("TLS");
            d.SMTPAuthCheck->setChecked(true);
            d.SMTPLoginEdit->clear();
            return int(QDialog::Accepted);
        });
        QCOMPARE(shown, QStringList({"TLS", "None", "0", "submitter", "0"}));
        QCOMPARE(names, QStringList({"SMTP security", "POP3 security", "Log in to the SMTP server", "SMTP Login:"}));
        QCOMPARE(AppSettings().SMTPSecurity, TmsSecurity::StartTls);
        QCOMPARE(AppSettings().POP3Security, TmsSecurity::Tls);
        QVERIFY(AppSettings().SMTPAuth);
        QCOMPARE(AppSettings().SMTPLogin, QString());
        // The client logs in with the POP3 login when the SMTP login is empty.
        const TmsSMTP* smtp = partOf<TmsSMTP>(*form, "msSMTP1");
        QCOMPARE(smtp->Options().Security, TmsSecurity::StartTls);
        QVERIFY(smtp->AuthenticationRequired);
        QCOMPARE(smtp->UserName, QString("popper"));
        QCOMPARE(smtp->Password, QString("secret"));
    }

    void cancelChangesNothing()
    {
        runSettings([](TForm2& d) {
            d.SMTPServer->setText("typed.example.org");
            d.WriteCommSettings->setChecked(true);
            d.PageControl1->setCurrentWidget(d.CommunicationsTab);
            return int(QDialog::Rejected);
        });
        QCOMPARE(AppSettings().SMTPServer, QString("old.example.org"));
        QVERIFY(!QFile::exists(RegistryFileName()));
    }

    void eachOpeningStartsWithThisSessionOnly()
    {
        runSettings([](TForm2& d) {
            d.WriteDirSettings->setChecked(true);
            d.WriteCommSettings->setChecked(true);
            return int(QDialog::Accepted);
        });
        bool sessionOnly = false;
        runSettings([&](TForm2& d) {
            sessionOnly = d.NoWriteDir->isChecked() && d.NoWriteComm->isChecked();
            return int(QDialog::Rejected);
        });
        QVERIFY(sessionOnly);
    }

    void browsingStartsAtTheStoredSettingAndCancelKeepsTheTypedText()
    {
        QString startedAt;
        TCommonDialog::SetAnswerer([&](TCommonDialog& dialog) {
            auto& browser = static_cast<TBrowseFolder&>(dialog);
            startedAt = browser.Directory;
            return false;
        });
        QString kept;
        runSettings([&](TForm2& d) {
            d.OpenDirEdit->setText("/typed");
            QTest::mouseDClick(d.OpenDirEdit, Qt::LeftButton);
            kept = d.OpenDirEdit->text();
            return int(QDialog::Rejected);
        });
        QCOMPARE(startedAt, QString("/old/open"));
        QCOMPARE(kept, QString("/typed"));

        TCommonDialog::SetAnswerer([](TCommonDialog& dialog) {
            static_cast<TBrowseFolder&>(dialog).Directory = "/chosen";
            return true;
        });
        QString chosen;
        runSettings([&](TForm2& d) {
            QTest::mouseDClick(d.SaveDirEdit, Qt::LeftButton);
            chosen = d.SaveDirEdit->text();
            return int(QDialog::Rejected);
        });
        QCOMPARE(chosen, QString("/chosen"));
        TCommonDialog::SetAnswerer({});
    }
};

QTEST_MAIN(SettingsDialogTest)
#include "tst_settings_dialog.moc"
