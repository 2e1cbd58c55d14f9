#include "ComposeFixture.h"

#include "ScriptedServer.h"
#include "mail/msmsg.h"
#include "toolkit/gui/RichEdit.h"

#include <QApplication>
#include <QHostInfo>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

QByteArray helo()
{
    return "HELO " + QHostInfo::localHostName().toUtf8();
}

// A server that takes one message for the given recipients.
TScriptedServer& acceptMessage(TScriptedServer& server, const QList<QByteArray>& recipients)
{
    server.Reply("220 ready").Expect(helo()).Reply("250 hello").Expect("MAIL FROM:<me@here.test>").Reply("250 ok");
    for (const QByteArray& to : recipients)
        server.Expect("RCPT TO:<" + to + ">").Reply("250 ok");
    return server.Expect("DATA").Reply("354 go").ExpectData("\r\n.\r\n").Reply("250 queued").Expect("QUIT").Reply("221 bye");
}

QByteArray fileBytes(const QString& name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class ComposeTest : public QObject {
    Q_OBJECT
    ComposeFixture fx;
    std::unique_ptr<TScriptedServer> server;

    void startWith(const QString& address) { fx.start(address); }

    void expectSent()
    {
        QVERIFY2(server->Failures().isEmpty(), qPrintable(server->Failures().join('\n')));
        QVERIFY(server->Finished());
        QVERIFY(fx.answers->asked.isEmpty());
    }

    void expectMessageCleared()
    {
        QCOMPARE(fx.form->msMessage1->Recipients().Count(), 0);
        QVERIFY(fx.form->msMessage1->Body().isEmpty());
        QVERIFY(fx.form->msMessage1->Headers().isEmpty());
        QCOMPARE(fx.form->msMessage1->Attachments().Count(), 0);
    }

private slots:
    void init() { server = std::make_unique<TScriptedServer>(); }
    void cleanup()
    {
        fx.stop();
        server.reset();
    }

    void thePanelNeedsAServerAndAnAddress()
    {
        fx.start(QString());
        QCOMPARE(fx.answers->asked,
                 QStringList{"Please setup your email address and SMTP server in Options/Preferences."});
        QVERIFY(!fx.form->Panel3->isVisible());

        AppSettings().SMTPServer = "mail.example.org";
        fx.form->toEdit->setText("stale");
        fx.form->SendEmail1->trigger();
        QVERIFY(fx.form->Panel3->isVisible());
        QVERIFY(fx.form->toEdit->text().isEmpty());
        fx.form->Button1->click();
        QVERIFY(!fx.form->Panel3->isVisible());
        QCOMPARE(fx.form->StatusPanels[2]->text(), QString("Plain Text"));
    }

    void theAttachmentPickerUsesItsOwnSetupAndRestoresOpen()
    {
        startWith(server->Address());
        QString title, filter, initialDir;
        TCommonDialog::SetAnswerer([&](TCommonDialog& d) {
            auto& open = static_cast<TOpenDialog&>(d);
            title = open.Title;
            filter = open.Filter;
            initialDir = open.InitialDir;
            open.FileName = "/tmp/picked.bin";
            return true;
        });
        fx.form->AttEdit->setText("old");
        QTest::mouseDClick(fx.form->AttEdit, Qt::LeftButton);
        TCommonDialog::SetAnswerer({});
        QCOMPARE(title, QString("Attachments"));
        QCOMPARE(filter, QString("All Files|*.*"));
        QCOMPARE(initialDir, QDir::homePath());
        QCOMPARE(fx.form->AttEdit->text(), QString("/tmp/picked.bin"));
        QCOMPARE(fx.form->OpenDialog1->Title, QString("Open"));
        QVERIFY(fx.form->OpenDialog1->Filter.startsWith("Rich Text(*.rft)"));
    }

    void clipboardCommandsFollowTheFocus()
    {
        startWith(server->Address());
        fx.fill("you@there.test", "Subject text", "document text");
        fx.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(fx.form.get()));
        fx.form->subjectEdit->setFocus();
        fx.form->subjectEdit->selectAll();
        QVERIFY(QApplication::focusWidget() == fx.form->subjectEdit);
        fx.form->Cut1->trigger();
        QVERIFY(fx.form->subjectEdit->text().isEmpty());
        QCOMPARE(fx.form->RichEdit1->Text(), QString("document text"));
        fx.form->toEdit->setFocus();
        fx.form->toEdit->end(false);
        fx.form->Paste1->trigger();
        QCOMPARE(fx.form->toEdit->text(), QString("you@there.testSubject text"));
        QCOMPARE(fx.form->RichEdit1->Text(), QString("document text"));
    }

    void aSendFollowsTheStatusBarAndClearsTheMessage()
    {
        acceptMessage(*server, {"you@there.test, other@there.test", "copy@there.test"});
        startWith(server->Address());
        fx.form->PlainText1Click();
        fx.fill("you@there.test, other@there.test", "Hello", "First line\nSecond line", "copy@there.test");
        fx.form->RichEdit1->SelectAll();
        fx.form->RichEdit1->SetSelStyle(int(TFontStyle::Bold));
        fx.pressSend();
        expectSent();

        const QByteArray data = server->Data();
        QCOMPARE(data.count("Reply-To: me@here.test\r\n"), 1);
        QVERIFY(data.contains("Subject:  Hello\r\n"));
        QVERIFY(data.contains("\r\n\r\nFirst line\r\nSecond line\r\n")); // the plain text, no RTF
        QVERIFY(!data.contains("\\rtf"));

        QStringList texts = fx.statusTexts;
        texts.removeIf([](const QString& t) { return t.startsWith("4:") && t.endsWith(" %"); });
        QCOMPARE(texts, QStringList({"0:Opening connection", "0:Preparing message", "0:Sending message",
                                     "0:Message has been sent", "4:Done", "0:Closing connection",
                                     "0:Connection closed"}));
        QVERIFY(fx.statusTexts.indexOf("4:0 %") < fx.statusTexts.indexOf("4:Done"));
        expectMessageCleared();
        QVERIFY(fx.form->Panel3->isVisible());
        QCOMPARE(fx.form->toEdit->text(), QString("you@there.test, other@there.test"));
    }

    void emptyRecipientsFailAndTheNextSendHasOneReplyTo()
    {
        TScriptedServer refusing;
        refusing.Reply("220 ready").Expect(helo()).Reply("250 hello").Expect("QUIT").Reply("221 bye");
        acceptMessage(*server, {"you@there.test"});
        startWith(refusing.Address());
        fx.fill("", "No one", "text");
        fx.pressSend();
        QCOMPARE(fx.answers->asked, QStringList{"At least one Recipient, CC or BCC must be entered"});
        QVERIFY(refusing.Finished());
        expectMessageCleared();

        fx.answers->asked.clear();
        fx.form->msSMTP1->Server = server->Address();
        fx.fill("you@there.test", "Someone", "text");
        fx.pressSend();
        expectSent();
        QCOMPARE(server->Data().count("Reply-To:"), 1);
    }

    void aMissingSenderAddressFails()
    {
        server->Reply("220 ready").Expect(helo()).Reply("250 hello").Expect("QUIT").Reply("221 bye");
        startWith(server->Address());
        AppSettings().EmailAddress.clear();
        fx.fill("you@there.test", "s", "text");
        fx.pressSend();
        QCOMPARE(fx.answers->asked, QStringList{"The address of sender is required"});
    }

    void anUnreadableAttachmentFailsBeforeAnyNetwork()
    {
        startWith(server->Address());
        fx.fill("you@there.test", "s", "text");
        fx.form->AttEdit->setText(fx.dir.filePath("missing.bin"));
        fx.pressSend();
        QCOMPARE(fx.answers->asked.size(), 1);
        QVERIFY(fx.answers->asked[0].startsWith("Cannot open file"));
        QVERIFY(fx.statusTexts.isEmpty()); // not even "Opening connection"
        expectMessageCleared();
    }

    void aRefusalIsShownAndNothingIsCopied()
    {
        server->Reply("220 ready").Expect(helo()).Reply("250 hello").Expect("MAIL FROM:<me@here.test>")
            .Reply("250 ok").Expect("RCPT TO:<you@there.test>").Reply("550 no such user").Expect("QUIT")
            .Reply("221 bye");
        startWith(server->Address());
        AppSettings().CopySelf = true;
        fx.fill("you@there.test", "s", "text");
        fx.pressSend();
        QCOMPARE(fx.answers->asked.size(), 1);
        QVERIFY(fx.answers->asked[0].contains("550 no such user"));
        QVERIFY(!QFile::exists(fx.dir.filePath("sent/copymax.dat")));
        expectMessageCleared();
    }

    void aSilentServerTimesOut()
    {
        TBlackHole silent;
        startWith(silent.Address());
        fx.form->msSMTP1->SetTimeOut(1);
        fx.fill("you@there.test", "s", "text");
        fx.pressSend();
        QCOMPARE(fx.answers->asked, QStringList{"Operation timed out"});
    }

    void cancelReachesAWaitingSend()
    {
        server->Reply("220 ready").Expect(helo()).Reply("250 hello");  // then silence
        startWith(server->Address());
        fx.fill("you@there.test", "s", "text");
        QTimer::singleShot(300, fx.form->CancelBtn, &QPushButton::click);
        fx.pressSend();
        QCOMPARE(fx.answers->asked, QStringList{"Operation has been canceled"});
        QVERIFY(fx.statusTexts.contains("0:Operation has been canceled"));
        expectMessageCleared();
    }

    void aSecondPressDuringASendIsIgnored()
    {
        server->Reply("220 ready").Pause(400).Expect(helo()).Reply("250 hello").Expect("MAIL FROM:<me@here.test>")
            .Reply("250 ok").Expect("RCPT TO:<you@there.test>").Reply("250 ok").Expect("DATA").Reply("354 go")
            .ExpectData("\r\n.\r\n").Reply("250 queued").Expect("QUIT").Reply("221 bye");
        startWith(server->Address());
        fx.fill("you@there.test", "s", "text");
        int pressesDuringSend = 0;
        QTimer::singleShot(100, fx.form.get(), [&] {
            ++pressesDuringSend;
            fx.pressSend();
        });
        fx.pressSend();
        QCOMPARE(pressesDuringSend, 1);
        expectSent();
        QCOMPARE(server->Data().count("Reply-To:"), 1);
    }

    void copiesToSelfAreNumberedFromZero()
    {
        TScriptedServer second;
        acceptMessage(*server, {"you@there.test"});
        acceptMessage(second, {"you@there.test"});
        startWith(server->Address());
        AppSettings().CopySelf = true;
        AppSettings().CopySelfDir = fx.dir.filePath("copies");
        fx.fill("you@there.test", "Kept", "copied text");
        fx.pressSend();
        expectSent();
        fx.form->msSMTP1->Server = second.Address();
        fx.pressSend();
        QVERIFY(second.Finished());
        const QString sent = AppSettings().CopySelfDir + "/";
        QVERIFY(fileBytes(sent + "cm0.eml").contains("Subject:  Kept"));
        QVERIFY(fileBytes(sent + "cm1.eml").contains("copied text"));
        QCOMPARE(fileBytes(sent + "copymax.dat").trimmed(), QByteArray("2"));
    }

    void aBadCounterStillSendsButCopiesNothing()
    {
        acceptMessage(*server, {"you@there.test"});
        startWith(server->Address());
        AppSettings().CopySelf = true;
        AppSettings().CopySelfDir = fx.dir.filePath("bad-counter");
        QDir().mkpath(AppSettings().CopySelfDir);
        QFile counter(AppSettings().CopySelfDir + "/copymax.dat");
        QVERIFY(counter.open(QIODevice::WriteOnly));
        counter.write("seven\r\n");
        counter.close();
        fx.fill("you@there.test", "s", "text");
        fx.pressSend();
        QVERIFY(server->Finished());
        QCOMPARE(fx.answers->asked.size(), 1);
        QVERIFY(fx.answers->asked[0].contains("copymax.dat"));
        QCOMPARE(QDir(AppSettings().CopySelfDir).entryList(QDir::Files), QStringList{"copymax.dat"});
        expectMessageCleared();
    }

    void lineBreaksInTheFieldsNeverReachTheWire()
    {
        server->Reply("220 ready").Expect(helo()).Reply("250 hello").Expect("MAIL FROM:<me@here.test>")
            .Reply("250 ok").Expect("RCPT TO:<you@there.test>").Reply("250 ok").Expect("DATA").Reply("354 go")
            .ExpectData("\r\n.\r\n").Reply("250 queued").Expect("QUIT").Reply("221 bye");
        startWith(server->Address());
        fx.fill("you@there.test", "Hi\r\nBcc: evil@there.test", "text");
        fx.pressSend();
        expectSent();
        QVERIFY(!server->Data().contains("\r\nBcc:"));

        TScriptedServer second;
        second.Reply("220 ready").Expect(helo()).Reply("250 hello").Expect("MAIL FROM:<me@here.test>").Reply("250 ok")
            .Expect("QUIT").Reply("221 bye");
        fx.form->msSMTP1->Server = second.Address();
        fx.fill("you@there.test>\r\nRCPT TO:<evil@there.test", "s", "text");
        fx.pressSend();
        QCOMPARE(fx.answers->asked.size(), 1);
        QVERIFY(!second.Unread().contains("evil"));
        QVERIFY(second.Failures().isEmpty());
    }
};

QTEST_MAIN(ComposeTest)
#include "tst_compose.moc"
