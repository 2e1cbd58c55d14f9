#include "ComposeFixture.h"

#include "ScriptedServer.h"
#include "mail/model/message.h"
#include "toolkit/gui/RichEdit.h"

#include <QApplication>
#include <QDir>
#include <QHostInfo>
#include <QScopeGuard>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

QByteArray ehlo()
{
    return "EHLO " + QHostInfo::localHostName().toUtf8();
}

// A server that takes one message for the given recipients; a slow one
// pauses after its greeting.
TScriptedServer& acceptMessage(TScriptedServer& server, const QList<QByteArray>& recipients, int greetingMs = 0)
{
    server.Reply("220 ready")
        .Pause(greetingMs)
        .Expect(ehlo())
        .Reply("250 hello")
        .Expect("MAIL FROM:<me@here.test>")
        .Reply("250 ok");
    for (const QByteArray& to : recipients)
        server.Expect("RCPT TO:<" + to + ">").Reply("250 ok");
    return server.Expect("DATA")
        .Reply("354 go")
        .ExpectData("\r\n.\r\n")
        .Reply("250 queued")
        .Expect("QUIT")
        .Reply("221 bye");
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
        const TmsMessage* message = partOf<TmsMessage>(*fx.form, "msMessage1");
        QCOMPARE(message->Recipients().Count(), 0);
        QVERIFY(message->Body().isEmpty());
        QVERIFY(message->Headers().isEmpty());
        QCOMPARE(message->Attachments().Count(), 0);
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
        QWidget* panel = partOf<QWidget>(*fx.form, "Panel3");
        QVERIFY(!panel->isVisible());

        AppSettings().SMTPServer = "mail.example.org";
        fx.field("toEdit")->setText("typed before");
        trigger(*fx.form, "SendEmail1");
        QVERIFY(panel->isVisible());
        QCOMPARE(fx.field("toEdit")->text(), QString("typed before")); // kept until a send succeeds
        fx.button("Button1")->click();
        QVERIFY(!panel->isVisible());
        QCOMPARE(fx.form->statusText(StatusPanel::Mode), QString("Plain Text"));
    }

    void theAttachmentPickerUsesItsOwnSetupAndRestoresOpen()
    {
        startWith(server->Address());
        QLineEdit* attachment = fx.field("AttEdit");
        attachment->setText("old");
        fx.answers->files << "/tmp/picked.bin";
        QTest::mouseDClick(attachment, Qt::LeftButton);
        QCOMPARE(fx.answers->lastDialog.title, QString("Attachments"));
        QCOMPARE(fx.answers->lastDialog.filter, QString("All Files|*.*"));
        QCOMPARE(fx.answers->lastDialog.initialDir, QDir::homePath());
        QCOMPARE(attachment->text(), QString("/tmp/picked.bin"));

        fx.answers->files << std::nullopt;
        trigger(*fx.form, "Open1");
        QCOMPARE(fx.answers->lastDialog.title, QString("Open"));
        QVERIFY(fx.answers->lastDialog.filter.startsWith("Rich Text(*.rft)"));
    }

    void clipboardCommandsFollowTheFocus()
    {
        startWith(server->Address());
        fx.fill("you@there.test", "Subject text", "document text");
        fx.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(fx.form.get()));
        QLineEdit* subject = fx.field("subjectEdit");
        QLineEdit* to = fx.field("toEdit");
        subject->setFocus();
        subject->selectAll();
        QVERIFY(QApplication::focusWidget() == subject);
        trigger(*fx.form, "Cut1");
        QVERIFY(subject->text().isEmpty());
        QCOMPARE(fx.editor()->Text(), QString("document text"));
        to->setFocus();
        to->end(false);
        trigger(*fx.form, "Paste1");
        QCOMPARE(to->text(), QString("you@there.testSubject text"));
        QCOMPARE(fx.editor()->Text(), QString("document text"));
    }

    void aSendFollowsTheStatusBarAndClearsTheMessage()
    {
        acceptMessage(*server, {"you@there.test, other@there.test", "copy@there.test"});
        startWith(server->Address());
        trigger(*fx.form, "PlainText1"); // rich text
        fx.fill("you@there.test, other@there.test", "Hello", "First line\nSecond line", "copy@there.test");
        fx.editor()->SelectAll();
        fx.editor()->SetSelStyle(int(TFontStyle::Bold));
        fx.pressSend();
        expectSent();

        const QByteArray data = server->Data();
        QCOMPARE(data.count("Reply-To: me@here.test\r\n"), 1);
        QVERIFY(data.contains("Subject:  Hello\r\n"));
        QVERIFY(data.contains("\r\n\r\nFirst line\r\nSecond line\r\n")); // the plain text, no RTF
        QVERIFY(!data.contains("\\rtf"));

        QStringList texts = fx.statusTexts;
        texts.removeIf([](const QString& t) { return t.startsWith("4:") && t.endsWith(" %"); });
        QCOMPARE(texts,
                 QStringList({"0:Opening connection", "0:Preparing message", "0:Sending message",
                              "0:Message has been sent", "4:Done", "0:Closing connection", "0:Connection closed"}));
        QVERIFY(fx.statusTexts.indexOf("4:0 %") < fx.statusTexts.indexOf("4:Done"));
        expectMessageCleared();
        QVERIFY(partOf<QWidget>(*fx.form, "Panel3")->isVisible());
        QCOMPARE(fx.field("toEdit")->text(), QString()); // sent: the next message starts empty
    }

    // A failed send keeps what was typed for another try.
    void aFailedSendKeepsTheFields()
    {
        server->Reply("554 no service").Expect("QUIT").Reply("221 bye");
        startWith(server->Address());
        fx.fill("you@there.test", "Hello", "text", "copy@there.test");
        fx.pressSend();
        QCOMPARE(fx.answers->asked.size(), 1);
        QCOMPARE(fx.field("toEdit")->text(), QString("you@there.test"));
        QCOMPARE(fx.field("eCC")->text(), QString("copy@there.test"));
        QCOMPARE(fx.field("subjectEdit")->text(), QString("Hello"));
    }

    void anEmptyCopiesFolderMeansTheDefaultOne()
    {
        const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", fx.dir.filePath("data").toUtf8());
        const auto restore = qScopeGuard([&] { qputenv("XDG_DATA_HOME", dataHome); });
        acceptMessage(*server, {"you@there.test"});
        startWith(server->Address());
        AppSettings().CopySelf = true;
        AppSettings().CopySelfDir.clear();
        fx.fill("you@there.test", "s", "text");
        const QStringList inWorkingFolder = QDir().entryList({"cm*"});
        fx.pressSend();
        expectSent();
        QCOMPARE(QDir(DefaultCopySelfDir()).entryList({"cm*.eml"}).size(), 1);
        QCOMPARE(QDir().entryList({"cm*"}), inWorkingFolder);
    }

    // Closing asks while a send runs, and the window stays until its outcome
    // has been shown: waiting, cancelling the send, or not closing at all.
    void closingDuringASendWaitsForItsOutcome_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("outcome");
        QTest::addColumn<bool>("closed");
        QTest::newRow("wait") << int(mrYes) << QStringList{"The message has been sent."} << true;
        QTest::newRow("cancel the send") << int(mrNo) << QStringList{"Operation has been canceled"} << true;
        QTest::newRow("keep the window") << int(mrCancel) << QStringList{} << false;
    }
    void closingDuringASendWaitsForItsOutcome()
    {
        QFETCH(int, answer);
        QFETCH(QStringList, outcome);
        QFETCH(bool, closed);
        acceptMessage(*server, {"you@there.test"}, 500);
        startWith(server->Address());
        fx.fill("you@there.test", "s", "text");
        fx.answers->boxAnswers = {answer, mrOk, mrNo}; // the last: do not save the document
        bool shownAfterClose = false;
        QTimer::singleShot(100, fx.form.get(), [&] {
            fx.form->close();
            shownAfterClose = fx.form->isVisible();
        });
        fx.pressSend();
        QVERIFY(shownAfterClose);
        QVERIFY(fx.answers->asked.value(0).startsWith("A message is being sent."));
        QCOMPARE(fx.answers->asked.mid(1, outcome.size()), outcome);
        QCOMPARE(fx.form->isVisible(), !closed);
    }

    // Once the server has the message, a refused goodbye is no failed send:
    // no error box (it would invite a second send), and the status says so.
    void aFailedGoodbyeAfterAcceptanceStillCountsAsSent()
    {
        server->Reply("220 ready")
            .Expect(ehlo())
            .Reply("250 hello")
            .Expect("MAIL FROM:<me@here.test>")
            .Reply("250 ok")
            .Expect("RCPT TO:<you@there.test>")
            .Reply("250 ok")
            .Expect("DATA")
            .Reply("354 go")
            .ExpectData("\r\n.\r\n")
            .Reply("250 queued")
            .Expect("QUIT")
            .Reply("500 no goodbye");
        startWith(server->Address());
        fx.fill("you@there.test", "Hi", "text");
        fx.pressSend();
        expectSent();
        QVERIFY(fx.form->statusText(StatusPanel::Font)
                    .startsWith("Message has been sent; closing the connection failed: "));
        expectMessageCleared();
    }

    void aMissingSenderAddressFails()
    {
        server->Reply("220 ready").Expect(ehlo()).Reply("250 hello").Expect("QUIT").Reply("221 bye");
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
        fx.field("AttEdit")->setText(fx.dir.filePath("missing.bin"));
        fx.pressSend();
        QCOMPARE(fx.answers->asked.size(), 1);
        QVERIFY(fx.answers->asked[0].startsWith("Cannot open file"));
        QVERIFY(fx.statusTexts.isEmpty()); // not even "Opening connection"
        expectMessageCleared();
    }

    void aRefusalIsShownAndNothingIsCopied()
    {
        server->Reply("220 ready")
            .Expect(ehlo())
            .Reply("250 hello")
            .Expect("MAIL FROM:<me@here.test>")
            .Reply("250 ok")
            .Expect("RCPT TO:<you@there.test>")
            .Reply("550 no such user")
            .Expect("QUIT")
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
        ChangeOptions(*fx.smtp(), [&](TrkSessionOptions& options) { options.TimeOut = 1; });
        fx.fill("you@there.test", "s", "text");
        fx.pressSend();
        QCOMPARE(fx.answers->asked, QStringList{"Operation timed out"});
    }

    void cancelReachesAWaitingSend()
    {
        server->Reply("220 ready").Expect(ehlo()).Reply("250 hello"); // then silence
        startWith(server->Address());
        fx.fill("you@there.test", "s", "text");
        QTimer::singleShot(300, fx.button("CancelBtn"), &QPushButton::click);
        fx.pressSend();
        QCOMPARE(fx.answers->asked, QStringList{"Operation has been canceled"});
        QVERIFY(fx.statusTexts.contains("0:Operation has been canceled"));
        expectMessageCleared();
    }

    void aSecondPressDuringASendIsIgnored()
    {
        server->Reply("220 ready")
            .Pause(400)
            .Expect(ehlo())
            .Reply("250 hello")
            .AcceptMail("me@here.test", "you@there.test");
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
};

QTEST_MAIN(ComposeTest)
#include "tst_compose.moc"
