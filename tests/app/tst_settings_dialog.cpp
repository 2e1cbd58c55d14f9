#include "Answers.h"
#include "FreshSettings.h"
#include "WindowParts.h"

#include "app/MainWindow.h"
#include "app/SettingsDialog.h"
#include "app/SettingsStore.h"
#include "net/smtp/smtp_client.h"
#include "toolkit/Registry.h"
#include "widgets/BrowseFolder.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
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
    std::unique_ptr<MainWindow> form;

    // Runs "&Settings" with the user's actions on the open dialog.
    void runSettings(const std::function<int(SettingsDialog&)>& user)
    {
        SettingsDialog::setAnswerer(user);
        trigger(*form, "Settings1");
        SettingsDialog::setAnswerer({});
    }

private slots:
    void init()
    {
        UseFreshSettings(dir.filePath("config"));
        answers = std::make_unique<Answers>();
        form = std::make_unique<MainWindow>();
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
        AppSettings().KeepMailOnServer = false;
        AppSettings().Password = "secret";
        QStringList seen;
        runSettings([&](SettingsDialog& d) {
            seen << d.windowTitle() << d.tabs->tabText(d.tabs->currentIndex()) << d.smtpServerEdit->text()
                 << d.openDirectoryEdit->text() << d.passwordEdit->text()
                 << QString::number(d.passwordEdit->echoMode() == QLineEdit::Password)
                 << QString::number(d.deleteFromServerCheck->isChecked())
                 << QString::number(d.directoriesThisRunButton->isChecked()
                                    && d.communicationsThisRunButton->isChecked());
            return int(QDialog::Rejected);
        });
        QCOMPARE(seen, QStringList({"Settings", "Directory Settings", "old.example.org", "/old/open", "secret", "1",
                                    "1", "1"})); // the check box asks to delete: KeepMailOnServer inverted
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
        runSettings([&](SettingsDialog& d) {
            d.smtpServerEdit->setText("new.example.org");
            d.openDirectoryEdit->setText("/new/open");
            d.deleteFromServerCheck->setChecked(false);
            (keepDirs ? d.keepDirectoriesButton : d.directoriesThisRunButton)->setChecked(true);
            (keepComm ? d.keepCommunicationsButton : d.communicationsThisRunButton)->setChecked(true);
            return int(QDialog::Accepted);
        });
        // The values hold for this run whatever the choice.
        QCOMPARE(AppSettings().SMTPServer, QString("new.example.org"));
        QCOMPARE(AppSettings().OpenDir, QString("/new/open"));
        QVERIFY(AppSettings().KeepMailOnServer);

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
        runSettings([&](SettingsDialog& d) {
            shown << d.smtpSecurityBox->currentText() << d.pop3SecurityBox->currentText()
                  << QString::number(d.smtpAuthenticationCheck->isChecked()) << d.smtpLoginEdit->text()
                  << QString::number(d.smtpLoginEdit->isEnabled());
            // A combo box reads out its choice; its name tells the two apart.
            names << d.smtpSecurityBox->accessibleName() << d.pop3SecurityBox->accessibleName();
            for (QWidget* control : {(QWidget*)d.smtpAuthenticationCheck, (QWidget*)d.smtpLoginEdit})
                names << QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name);
            d.smtpSecurityBox->setCurrentText("STARTTLS");
            d.pop3SecurityBox->setCurrentText("TLS");
            d.smtpAuthenticationCheck->setChecked(true);
            d.smtpLoginEdit->clear();
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

    // A log-in over a connection without TLS gives the password away: the
    // dialog says so beside the choice, while it is so.
    void clearLoginIsSaidBesideTheSecurityChoice()
    {
        AppSettings().SMTPSecurity = TmsSecurity::None;
        AppSettings().POP3Security = TmsSecurity::None;
        AppSettings().SMTPAuth = false;
        AppSettings().POP3Login = "popper";
        QStringList shown;
        const auto notes = [&](SettingsDialog& d) {
            QStringList on;
            for (QLabel* note : {d.smtpClearLoginNote, d.pop3ClearLoginNote})
                if (!note->isHidden())
                    on << note->objectName() + ": " + note->text();
            shown << on.join(" | ");
        };
        runSettings([&](SettingsDialog& d) {
            notes(d);
            d.smtpAuthenticationCheck->setChecked(true);
            notes(d);
            d.smtpSecurityBox->setCurrentText("STARTTLS");
            d.pop3SecurityBox->setCurrentText("TLS");
            notes(d);
            d.pop3SecurityBox->setCurrentText("None");
            d.userLoginEdit->clear();
            notes(d);
            return int(QDialog::Rejected);
        });
        QCOMPARE(shown,
                 QStringList({"POP3ClearLoginNote: Password unencrypted",
                              "SMTPClearLoginNote: Password unencrypted | POP3ClearLoginNote: Password unencrypted", "",
                              ""}));
    }

    void cancelChangesNothing()
    {
        runSettings([](SettingsDialog& d) {
            d.smtpServerEdit->setText("typed.example.org");
            d.keepCommunicationsButton->setChecked(true);
            d.tabs->setCurrentWidget(d.communicationsTab);
            return int(QDialog::Rejected);
        });
        QCOMPARE(AppSettings().SMTPServer, QString("old.example.org"));
        QVERIFY(!QFile::exists(RegistryFileName()));
    }

    void eachOpeningStartsWithThisSessionOnly()
    {
        runSettings([](SettingsDialog& d) {
            d.keepDirectoriesButton->setChecked(true);
            d.keepCommunicationsButton->setChecked(true);
            return int(QDialog::Accepted);
        });
        bool sessionOnly = false;
        runSettings([&](SettingsDialog& d) {
            sessionOnly = d.directoriesThisRunButton->isChecked() && d.communicationsThisRunButton->isChecked();
            return int(QDialog::Rejected);
        });
        QVERIFY(sessionOnly);
    }

    // A stored folder that is gone starts at its nearest existing parent.
    void browsingStartsAtTheStoredSettingAndCancelKeepsTheTypedText()
    {
        AppSettings().OpenDir = dir.filePath("open");
        AppSettings().SaveDir = dir.filePath("gone/deeper");
        QDir(dir.path()).mkdir("open");
        QString startedAt;
        TCommonDialog::SetAnswerer([&](TCommonDialog& dialog) {
            auto& browser = static_cast<TBrowseFolder&>(dialog);
            startedAt = browser.Directory;
            return false;
        });
        QString kept;
        runSettings([&](SettingsDialog& d) {
            d.openDirectoryEdit->setText("/typed");
            QTest::mouseDClick(d.openDirectoryEdit, Qt::LeftButton);
            kept = d.openDirectoryEdit->text();
            return int(QDialog::Rejected);
        });
        QCOMPARE(startedAt, dir.filePath("open"));
        QCOMPARE(kept, QString("/typed"));
        runSettings([&](SettingsDialog& d) {
            QTest::mouseDClick(d.saveDirectoryEdit, Qt::LeftButton);
            return int(QDialog::Rejected);
        });
        QCOMPARE(startedAt, dir.path());

        TCommonDialog::SetAnswerer([](TCommonDialog& dialog) {
            static_cast<TBrowseFolder&>(dialog).Directory = "/chosen";
            return true;
        });
        QString chosen;
        runSettings([&](SettingsDialog& d) {
            QTest::mouseDClick(d.saveDirectoryEdit, Qt::LeftButton);
            chosen = d.saveDirectoryEdit->text();
            return int(QDialog::Rejected);
        });
        QCOMPARE(chosen, QString("/chosen"));
        TCommonDialog::SetAnswerer({});
    }
};

QTEST_MAIN(SettingsDialogTest)
#include "tst_settings_dialog.moc"
