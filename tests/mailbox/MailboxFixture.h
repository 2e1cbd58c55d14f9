#pragma once
// A main window with mail settings in a folder of its own, and the mailbox
// window it opened; store files written and read as a user's disk holds them.
#include "Answers.h"
#include "FreshSettings.h"
#include "SessionChanges.h"
#include "WindowParts.h"

#include "app/MainWindow.h"
#include "app/SettingsStore.h"
#include "mailbox/MailboxWindow.h"
#include "net/smtp/smtp_client.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <memory>

struct MailboxFixture {
    std::unique_ptr<QTemporaryDir> home; // new for every test
    std::unique_ptr<Answers> answers;
    std::unique_ptr<MainWindow> form;
    QPointer<MailboxWindow> mailbox;

    QString path(const QString& name) const { return home->filePath(name); }
    QString saved() const { return path("saved"); }
    QString copies() const { return path("copies"); }

    void start(const QString& pop3Server = {})
    {
        home = std::make_unique<QTemporaryDir>();
        UseFreshSettings(path("config"));
        qputenv("XDG_DATA_HOME", path("data").toUtf8()); // the ids of mail seen stay with this test
        answers = std::make_unique<Answers>();
        form = std::make_unique<MainWindow>();
        TSettingsStore& store = AppSettings();
        store.SavedEmail = saved();
        store.CopySelfDir = copies();
        store.POP3Server = pop3Server;
        store.POP3Security = TmsSecurity::None; // the test servers are plain and open
        store.SMTPSecurity = TmsSecurity::None;
        store.SMTPAuth = false;
        // the window took its settings when made
        ChangeOptions(*partOf<TmsSMTP>(*form, "msSMTP1"),
                      [](TrkSessionOptions& options) { options.Security = TmsSecurity::None; });
        partOf<TmsSMTP>(*form, "msSMTP1")->AuthenticationRequired = false;
        store.POP3Login = "tester";
        store.Password = "secret";
        store.SMTPServer = "smtp.here.test";
        store.EmailAddress = "me@here.test";
        store.UserName = "Me";
        QDir().mkpath(saved());
        QDir().mkpath(copies());
        form->show();
        trigger(*form, "RetreiveEmail1");
        mailbox = form->findChild<MailboxWindow*>();
    }

    void stop()
    {
        form.reset();
        answers.reset();
    }

    static void write(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
    }
    static QByteArray read(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
    }

    QTreeWidget* list() const { return partOf<QTreeWidget>(*mailbox, "ListView1"); }
    QStringList rows(int column) const
    {
        QStringList texts;
        for (int i = 0; i < list()->topLevelItemCount(); ++i)
            texts << list()->topLevelItem(i)->text(column);
        return texts;
    }
    void select(int row) const { list()->setCurrentItem(list()->topLevelItem(row)); }
    QString panel(int index) const
    {
        return partOf<QStatusBar>(*mailbox, "MsgListStatus")->findChildren<QLabel*>().at(index)->text();
    }
    void run(const char* action) const { trigger(*mailbox, action); }
};
