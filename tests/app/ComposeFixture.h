#pragma once
// A main window with mail settings, the compose panel open, and a record of
// the status bar texts the SMTP client's events write, in order.
#include "Answers.h"
#include "FreshSettings.h"

#include "app/MainU.h"
#include "app/SettingsStore.h"
#include "net/mssmtp.h"
#include "toolkit/Registry.h"
#include "toolkit/gui/RichEdit.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <memory>

struct ComposeFixture {
    QTemporaryDir dir;
    std::unique_ptr<Answers> answers;
    std::unique_ptr<TForm1> form;
    QStringList statusTexts;   // "0:text" / "4:text" as the events wrote them

    void start(const QString& server)
    {
        UseFreshSettings(dir.filePath("config"));
        answers = std::make_unique<Answers>();
        form = std::make_unique<TForm1>(); // reads the (empty) stored settings
        AppSettings().SMTPServer = server;
        AppSettings().EmailAddress = "me@here.test";
        AppSettings().UserName = "Me";
        AppSettings().CopySelfDir = dir.filePath("sent");
        form->msSMTP1->Server = server;
        form->show();
        recordStatus();
        form->SendEmail1Click();
    }

    void stop()
    {
        form.reset();
        answers.reset();
    }

    void fill(const QString& to, const QString& subject, const QString& body, const QString& cc = {})
    {
        form->toEdit->setText(to);
        form->subjectEdit->setText(subject);
        form->eCC->setText(cc);
        form->RichEdit1->SetText(body);
    }

    // Presses "Send" as the user does: a failure ends in the error box.
    // The status texts recorded are those of this send.
    void pressSend()
    {
        lastSeen.clear();
        note();
        statusTexts.clear();
        form->SendBtn->click();
    }

private:
    void note()
    {
        for (int panel : {0, 4}) {
            const QString text = QString::number(panel) + ':' + form->StatusPanels[panel]->text();
            if (!lastSeen.contains(panel) || lastSeen[panel] != text)
                statusTexts << text;
            lastSeen[panel] = text;
        }
    }

    void recordStatus()
    {
        TmsSMTP* smtp = form->msSMTP1;
        for (TNotifyEvent* event : {&smtp->OnOpen, &smtp->OnPrepare, &smtp->OnSending, &smtp->OnMailSent,
                                    &smtp->OnClosing, &smtp->OnClosed, &smtp->OnCancel}) {
            TNotifyEvent inner = *event;
            *event = [this, inner](QObject* sender) { inner(sender); note(); };
        }
        TmsProgressEvent progress = smtp->OnProgress;
        smtp->OnProgress = [this, progress](QObject* s, int perc, qint64 n) { progress(s, perc, n); note(); };
        TmsErrorEvent error = smtp->OnError;
        smtp->OnError = [this, error](QObject* s, QString& msg) { error(s, msg); note(); };
    }

    QHash<int, QString> lastSeen;
};
