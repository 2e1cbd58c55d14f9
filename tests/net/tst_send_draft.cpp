// Sending a draft against scripted servers: what the message holds on the
// wire, the copy to self after a send, and the message left empty after
// every send, whether it succeeds or not.
#include "ScriptedServer.h"
#include "SessionChanges.h"
#include "errorof.h"
#include "mail/model/message.h"
#include "net/smtp/outgoing_headers.h"
#include "net/smtp/send_draft.h"
#include "net/smtp/smtp_client.h"
#include "toolkit/Streams.h"

#include <QHostInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray ehlo()
{
    return "EHLO " + QHostInfo::localHostName().toUtf8();
}

TScriptedServer& greet(TScriptedServer& server)
{
    return server.Reply("220 ready").Expect(ehlo()).Reply("250 hello");
}

// A server that takes one message from me@here.test for you@there.test.
TScriptedServer& acceptOne(TScriptedServer& server)
{
    return greet(server).AcceptMail("me@here.test", "you@there.test");
}

TmsDraft plainDraft()
{
    TmsDraft draft;
    draft.SenderAddress = "me@here.test";
    draft.To = {"you@there.test"};
    draft.Subject = "s";
    draft.Body = {"text"};
    return draft;
}

QByteArray fileBytes(const QString& name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestSendDraft : public QObject {
    Q_OBJECT
    TmsSMTP smtp;
    TmsMessage message;
    QTemporaryDir dir;
    bool clearedAfterEachSend = true;

    // The failure's text, empty when the send succeeds.
    QString send(const TmsDraft& draft, const TScriptedServer& server)
    {
        ChangeOptions(smtp, [&](TrkSessionOptions& options) { options.Server = server.Address(); });
        const QString failure = errorOf([&] { SendDraft(draft, smtp, message); });
        clearedAfterEachSend = clearedAfterEachSend && message.Recipients().Count() == 0 && message.Body().isEmpty()
                            && message.Headers().isEmpty() && message.Attachments().Count() == 0;
        return failure;
    }

private slots:
    void cleanup()
    {
        QVERIFY(clearedAfterEachSend);
        clearedAfterEachSend = true;
    }

    void replyToIsSentOnceWhenAskedForAlsoAfterAFailure()
    {
        TScriptedServer refusing;
        greet(refusing).Expect("QUIT").Reply("221 bye");
        TmsDraft draft = plainDraft();
        draft.ReplyTo = "me@here.test";
        draft.To = {""};
        QCOMPARE(send(draft, refusing), QString("At least one Recipient, CC or BCC must be entered"));

        TScriptedServer asked, notAsked;
        draft.To = {"you@there.test"};
        QCOMPARE(send(draft, acceptOne(asked)), QString());
        QCOMPARE(asked.Data().count("\r\nReply-To: me@here.test\r\n"), 1);
        draft.ReplyTo.clear();
        QCOMPARE(send(draft, acceptOne(notAsked)), QString());
        QVERIFY(!notAsked.Data().contains("Reply-To:"));
    }

    // Python's email reads what another client would: a Date with the local
    // offset, an id of our own on the sender's domain, and an answer
    // threaded under its original.
    void sentMailIsDatedIdentifiedAndThreaded()
    {
        TmsHeaders original;
        original.Add("Message-ID: <two@there.test>");
        original.Add("References: <zero@there.test>");
        original.Add(" <one@there.test>");
        const TmsReplyIds ids = ReplyIdsOf(original);
        QCOMPARE(ids.InReplyTo, "<two@there.test>");
        QCOMPARE(ids.References, "<zero@there.test> <one@there.test> <two@there.test>");
        TmsDraft draft = plainDraft();
        draft.InReplyTo = ids.InReplyTo;
        draft.References = ids.References;
        TScriptedServer first, second;
        QCOMPARE(send(draft, acceptOne(first)), QString());
        QCOMPARE(send(plainDraft(), acceptOne(second)), QString());
        const QByteArray script =
            "import email, email.policy, email.utils, re, sys, time\n"
            "m = email.message_from_bytes(sys.stdin.buffer.read().rsplit(b'.\\r\\n', 1)[0])\n"
            "when = email.utils.parsedate_to_datetime(m['Date'])\n"
            "assert abs(time.time() - when.timestamp()) < 600, m['Date']\n"
            "assert when.utcoffset().total_seconds() == time.localtime().tm_gmtoff, m['Date']\n"
            "assert re.fullmatch(r'<[0-9a-f]{32}@here\\.test>', m['Message-ID']), m['Message-ID']\n"
            "print(m['Message-ID'], m['In-Reply-To'], m['References'], sep='|')\n";
        QStringList seen;
        for (const TScriptedServer* server : {&first, &second}) {
            QProcess python;
            python.start(QStringLiteral("python3"), {QStringLiteral("-c"), QString::fromLatin1(script)});
            python.write(server->Data());
            python.closeWriteChannel();
            QVERIFY(python.waitForFinished(30000));
            QVERIFY2(python.exitCode() == 0, python.readAllStandardError().constData());
            seen << QString::fromLatin1(python.readAllStandardOutput().trimmed());
        }
        QCOMPARE(seen[0].section('|', 1), "<two@there.test>|<zero@there.test> <one@there.test> <two@there.test>");
        QCOMPARE(seen[1].section('|', 1), "None|None");
        QVERIFY(seen[0].section('|', 0, 0) != seen[1].section('|', 0, 0));
    }

    void copiesToSelfAreNumberedFromZero()
    {
        TScriptedServer first, second, refusing;
        TmsDraft draft = plainDraft();
        draft.Subject = "Kept";
        draft.CopiesDirectory = dir.filePath("copies");
        QCOMPARE(send(draft, acceptOne(first)), QString());
        draft.Body = {"copied text"};
        QCOMPARE(send(draft, acceptOne(second)), QString());
        greet(refusing).Expect("MAIL FROM:<me@here.test>").Reply("550 go away").Expect("QUIT").Reply("221 bye");
        QVERIFY(send(draft, refusing).contains("550 go away"));

        const QString copies = *draft.CopiesDirectory + "/";
        QVERIFY(fileBytes(copies + "cm0.eml").contains("Subject:  Kept"));
        QVERIFY(fileBytes(copies + "cm1.eml").contains("copied text"));
        QCOMPARE(QDir(copies).entryList(QDir::Files), QStringList({"cm0.eml", "cm1.eml", "copymax.dat"}));
        QCOMPARE(fileBytes(copies + "copymax.dat"), QByteArray("2\r\n"));
    }

    // Encoded once: the copy holds the very bytes the server received, its
    // random boundary included.
    void theCopyToSelfIsTheTextSent()
    {
        TScriptedServer server;
        TmsDraft draft = plainDraft();
        draft.AttachmentFiles = {dir.filePath("attached.txt")};
        WriteWholeFile(draft.AttachmentFiles[0], "attached\r\n");
        draft.CopiesDirectory = dir.filePath("exact");
        QCOMPARE(send(draft, acceptOne(server)), QString());
        QVERIFY(server.Data().endsWith("\r\n.\r\n") && !server.Data().contains("\r\n.."));
        QCOMPARE(fileBytes(*draft.CopiesDirectory + "/cm0.eml"), server.Data().chopped(3));
    }

    void aCounterThatIsNoNumberStillSendsButCopiesNothing()
    {
        TScriptedServer server;
        TmsDraft draft = plainDraft();
        draft.CopiesDirectory = dir.filePath("bad-counter");
        QDir().mkpath(*draft.CopiesDirectory);
        QFile counter(*draft.CopiesDirectory + "/copymax.dat");
        QVERIFY(counter.open(QIODevice::WriteOnly));
        counter.write("seven\r\n");
        counter.close();

        const QString failure = send(draft, acceptOne(server));
        QVERIFY(server.Finished());
        QVERIFY2(failure.contains("copymax.dat") && failure.contains("seven"), qPrintable(failure));
        QCOMPARE(QDir(*draft.CopiesDirectory).entryList(QDir::Files), QStringList{"copymax.dat"});
    }

    void lineBreaksInFieldsNeverReachTheWire_data()
    {
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<QByteArray>("subject");
        QTest::addColumn<bool>("sent");
        QTest::newRow("subject") << QByteArray("you@there.test") << QByteArray("Hi\r\nBcc: evil@there.test") << true;
        QTest::newRow("to") << QByteArray("you@there.test>\r\nRCPT TO:<evil@there.test") << QByteArray("s") << false;
    }

    void lineBreaksInFieldsNeverReachTheWire()
    {
        QFETCH(QByteArray, to);
        QFETCH(QByteArray, subject);
        QFETCH(bool, sent);
        TScriptedServer server;
        if (sent)
            acceptOne(server);
        else
            greet(server).Expect("MAIL FROM:<me@here.test>").Reply("250 ok").Expect("QUIT").Reply("221 bye");
        TmsDraft draft = plainDraft();
        draft.To = {to};
        draft.Subject = subject;

        const QString failure = send(draft, server);
        QCOMPARE(failure.isEmpty(), sent);
        QVERIFY2(server.Failures().isEmpty(), qPrintable(server.Failures().join('\n')));
        QVERIFY(server.Finished());
        QVERIFY(!server.Data().contains("\r\nBcc:"));
        QVERIFY(!server.Unread().contains("evil"));
    }
};

QTEST_MAIN(TestSendDraft)
#include "tst_send_draft.moc"
