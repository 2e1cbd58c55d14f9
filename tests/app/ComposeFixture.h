#pragma once
// A main window with mail settings, the compose panel open, and a record of
// the status bar texts the SMTP client's events write, in order.
#include "Answers.h"
#include "FreshSettings.h"
#include "SessionChanges.h"
#include "WindowParts.h"

#include "app/MainWindow.h"
#include "app/SettingsStore.h"
#include "net/smtp/smtp_client.h"
#include "toolkit/Registry.h"
#include "toolkit/gui/RichEdit.h"

#include <QFile>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QTemporaryDir>
#include <memory>

struct ComposeFixture {
    QTemporaryDir dir;
    std::unique_ptr<Answers> answers;
    std::unique_ptr<MainWindow> form;
    QStringList statusTexts; // "0:text" / "4:text" (the font and state panels) as the events wrote them

    TRichEdit* editor() const { return partOf<TRichEdit>(*form, "RichEdit1"); }
    TmsSMTP* smtp() const { return partOf<TmsSMTP>(*form, "msSMTP1"); }
    QLineEdit* field(const char* name) const { return partOf<QLineEdit>(*form, name); }
    QPushButton* button(const char* name) const { return partOf<QPushButton>(*form, name); }

    void start(const QString& server)
    {
        UseFreshSettings(dir.filePath("config"));
        answers = std::make_unique<Answers>();
        form = std::make_unique<MainWindow>(); // reads the (empty) stored settings
        AppSettings().SMTPServer = server;
        AppSettings().EmailAddress = "me@here.test";
        AppSettings().UserName = "Me";
        AppSettings().CopySelfDir = dir.filePath("sent");
        AppSettings().SMTPSecurity = TmsSecurity::None; // the test servers are plain and open
        AppSettings().SMTPAuth = false;
        ChangeOptions(*smtp(), [&](TrkSessionOptions& options) {
            options.Server = server;
            options.Security = TmsSecurity::None;
        });
        smtp()->AuthenticationRequired = false;
        form->show();
        recordStatus();
        trigger(*form, "SendEmail1");
    }

    void stop()
    {
        form.reset();
        answers.reset();
    }

    void fill(const QString& to, const QString& subject, const QString& body, const QString& cc = {})
    {
        field("toEdit")->setText(to);
        field("subjectEdit")->setText(subject);
        field("eCC")->setText(cc);
        editor()->SetText(body);
    }

    // Presses "Send" as the user does: a failure ends in the error box.
    // The status texts recorded are those of this send.
    void pressSend()
    {
        lastSeen.clear();
        note();
        statusTexts.clear();
        button("SendBtn")->click();
    }

private:
    void note()
    {
        for (StatusPanel panel : {StatusPanel::Font, StatusPanel::State}) {
            const QString text = QString::number(int(panel)) + ':' + form->statusText(panel);
            if (lastSeen.value(panel) != text)
                statusTexts << text;
            lastSeen[panel] = text;
        }
    }

    void recordStatus()
    {
        TmsSMTP* client = smtp();
        const auto noted = [this](TNotifyEvent* event) {
            TNotifyEvent inner = *event;
            *event = [this, inner](QObject* sender) {
                inner(sender);
                note();
            };
        };
        for (TNotifyEvent* event : {&client->OnPrepare, &client->OnSending, &client->OnMailSent})
            noted(event);
        ChangeListeners(*client, [&](TrkSessionListeners& listeners) {
            for (TNotifyEvent* event :
                 {&listeners.OnOpen, &listeners.OnClosing, &listeners.OnClosed, &listeners.OnCancel})
                noted(event);
            TmsProgressEvent progress = listeners.OnProgress;
            listeners.OnProgress = [this, progress](QObject* s, int perc, qint64 n) {
                progress(s, perc, n);
                note();
            };
            TmsErrorEvent error = listeners.OnError;
            listeners.OnError = [this, error](QObject* s, QString& msg) {
                error(s, msg);
                note();
            };
        });
    }

    QMap<StatusPanel, QString> lastSeen;
};
