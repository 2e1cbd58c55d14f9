// End to end through the local Postfix and Dovecot: messages of every layout
// sent with TmsSMTP come back through TmsPOP with the same sender,
// recipients, subject, body lines and attachment bytes.
#include "MailServers.h"
#include "SessionChanges.h"
#include "mail/model/message.h"
#include "net/pop3/pop3_client.h"
#include "net/smtp/smtp_client.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

void attach(TmsMessage& message, const QByteArray& name, const QByteArray& data, TAttEncoding encoding,
            const QByteArray& type = "application/octet-stream")
{
    auto item = std::make_unique<TmsAttItem>();
    item->SetFileName(name);
    item->SetContentType(type);
    item->SetEncoding(encoding);
    item->Data() = TMemoryStream(data);
    message.Attachments().Add(std::move(item));
}

QByteArray randomBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(size); // the same bytes every run
    for (char& c : bytes)
        c = char(generator.bounded(256));
    return bytes;
}

// Body lines a mail path is most likely to change.
const TStringList trickyBody = {"First line",
                                ".",
                                "..",
                                ".leading dot",
                                "..two dots",
                                "",
                                "Grüße, naïve café",
                                "trailing space ",
                                "From the start of a line",
                                "last"};

QStringList addresses(const TmsAddressList& list)
{
    QStringList all;
    for (qsizetype i = 0; i < list.Count(); ++i)
        all << QString::fromUtf8(list.Items(i).Name() + " <" + list.Items(i).Address() + '>');
    return all;
}

} // namespace

class TestMailEndToEnd : public QObject {
    Q_OBJECT

    TMailServers servers;

    std::unique_ptr<TmsMessage> newMessage(const QByteArray& subject)
    {
        auto message = std::make_unique<TmsMessage>();
        message->Sender().SetName("Penvale Tester");
        message->Sender().SetAddress(servers.Address);
        message->Recipients().AddAddress(servers.Address, "Tester");
        message->SetSubject(subject);
        return message;
    }

    void send(TmsMessage& message)
    {
        TmsSMTP smtp;
        ChangeOptions(smtp, [&](TrkSessionOptions& options) {
            options.Server = servers.Smtp;
            options.TimeOut = 10;
        });
        smtp.MailMessage = &message;
        smtp.Send();
    }

    // Retrieves the one message sent, deleting it from the server.
    std::unique_ptr<TmsPOP> retrieve(int expected = 1)
    {
        if (!servers.WaitForMessages(expected))
            qFatal("the message was not delivered");
        auto pop = std::make_unique<TmsPOP>();
        ChangeOptions(*pop, [&](TrkSessionOptions& options) { options.Server = servers.Pop3; });
        pop->UserName = QString::fromUtf8(servers.User);
        pop->Password = QString::fromUtf8(servers.Password);
        ChangeOptions(*pop, [&](TrkSessionOptions& options) { options.TimeOut = 10; });
        pop->RetrieveAll(TmsAfterRetrieve::Delete);
        return pop;
    }

private slots:
    void initTestCase() { PV_REQUIRE_MAILSERVERS(servers); }
    void init() { servers.ClearMailbox(); }

    void everyLayoutComesBackWhole_data()
    {
        QTest::addColumn<QByteArray>("layout");
        for (const char* layout : {"plain", "utf-8 subject", "attachment alone", "mixed", "html body file",
                                   "alternative", "uuencoded", "large attachment", "empty body"})
            QTest::newRow(layout) << QByteArray(layout);
    }
    void everyLayoutComesBackWhole()
    {
        QFETCH(QByteArray, layout);
        auto sent = newMessage("Layout " + layout);
        sent->CC().AddAddress(servers.Address, "Copy");
        sent->SetBody(trickyBody);
        if (layout == "utf-8 subject")
            sent->SetSubject("Über naïve Grüße – ✓");
        if (layout == "attachment alone" || layout == "empty body")
            sent->SetBody({});
        if (layout == "attachment alone" || layout == "mixed")
            attach(*sent, "data.bin", randomBytes(70000), aeBase64);
        if (layout == "mixed") {
            attach(*sent, "notes.txt", "one\r\n.\r\n..two\r\nthree\r\n", aeQuotedPrintable, "text/plain");
            attach(*sent, "résumé.pdf", randomBytes(300), aeBase64, "application/pdf");
        }
        if (layout == "html body file")
            attach(*sent, "_htmbody.htm", "<p>Hi</p>\r\n.\r\n<p>there</p>\r\n", aeQuotedPrintable, "text/html");
        if (layout == "alternative")
            attach(*sent, "_alt.0", "<b>Hi</b>\r\n", aeQuotedPrintable, "text/html");
        if (layout == "uuencoded") {
            sent->SetEncoding(meUU);
            attach(*sent, "data.bin", randomBytes(5000), aeBase64);
        }
        if (layout == "large attachment")
            attach(*sent, "large.bin", randomBytes(3 << 20), aeBase64);
        send(*sent);

        const auto pop = retrieve();
        QCOMPARE(pop->MessageList->Count(), 1);
        const TmsMessage& got = pop->MessageList->Items(0);
        QCOMPARE(got.Sender().Address(), sent->Sender().Address());
        QCOMPARE(got.Subject(), sent->Subject());
        if (sent->Encoding() == meMIME) {
            QCOMPARE(got.Sender().Name(), sent->Sender().Name());
            QCOMPARE(addresses(got.Recipients()), addresses(sent->Recipients()));
            QCOMPARE(addresses(got.CC()), addresses(sent->CC()));
        }
        QCOMPARE(got.Body(), sent->Body());
        QCOMPARE(got.Attachments().Count(), sent->Attachments().Count());
        for (qsizetype i = 0; i < sent->Attachments().Count(); ++i) {
            QCOMPARE(got.Attachments().Items(i).FileName(), sent->Attachments().Items(i).FileName());
            QCOMPARE(got.Attachments().Items(i).Data().Bytes(), sent->Attachments().Items(i).Data().Bytes());
        }
        QCOMPARE(servers.Messages().size(), 0); // deleted on the server
    }

    // The body reaches the mailbox exactly as encoded: no line added at the end.
    void deliveredTextIsTheEncodedText()
    {
        auto sent = newMessage("Exact");
        sent->SetBody({"one", ".", "", "last"});
        TMemoryStream encoded;
        sent->SaveToStream(encoded);
        send(*sent);
        QVERIFY(servers.WaitForMessages(1));
        QByteArray stored = ReadWholeFile(servers.Messages().first());
        stored.replace("\n", "\r\n"); // the Maildir keeps LF line ends
        const auto body = [](const QByteArray& text) { return text.mid(text.indexOf("\r\n\r\n")); };
        QCOMPARE(body(stored), body(encoded.Bytes())); // the server adds header fields of its own
    }

    void rejectedRecipientAndProceed()
    {
        auto sent = newMessage("Some rejected");
        sent->SetBody({"hello"});
        sent->BCC().AddAddress("nobody@penvale.test", {});
        QVERIFY_THROWS_EXCEPTION(EServerError, send(*sent));

        TmsSMTP smtp;
        ChangeOptions(smtp, [&](TrkSessionOptions& options) { options.Server = servers.Smtp; });
        smtp.MailMessage = sent.get();
        QByteArrayList rejected;
        smtp.OnAddressRejected = [&](QObject*, const QByteArray& address, const QByteArray& reply, bool& proceed) {
            rejected << address;
            QVERIFY2(reply.startsWith("550"), reply.constData());
            proceed = true;
        };
        smtp.Send();
        QCOMPARE(rejected, QByteArrayList({"nobody@penvale.test"}));
        const auto pop = retrieve();
        QCOMPARE(pop->MessageList->Items(0).Subject(), QByteArray("Some rejected"));
    }

    void leaveOnServerAndAppend()
    {
        for (int i = 0; i < 3; ++i) {
            auto sent = newMessage("Kept " + QByteArray::number(i));
            sent->SetBody({"x"});
            send(*sent);
            QVERIFY(servers.WaitForMessages(i + 1));
        }
        TmsPOP pop;
        ChangeOptions(pop, [&](TrkSessionOptions& options) { options.Server = servers.Pop3; });
        pop.UserName = QString::fromUtf8(servers.User);
        pop.Password = QString::fromUtf8(servers.Password);
        pop.RetrieveAll(TmsAfterRetrieve::LeaveOnServer);
        pop.RetrieveAll(TmsAfterRetrieve::LeaveOnServer);
        QCOMPARE(pop.MessageList->Count(), 6);
        QCOMPARE(pop.MessageCount, 3);
        QCOMPARE(servers.Messages().size(), 3);
        QStringList subjects;
        for (int i = 0; i < 3; ++i)
            subjects << QString::fromUtf8(pop.MessageList->Items(i).Subject());
        QCOMPARE(subjects, QStringList({"Kept 0", "Kept 1", "Kept 2"}));
    }

    void wrongPassword()
    {
        TmsPOP pop;
        ChangeOptions(pop, [&](TrkSessionOptions& options) { options.Server = servers.Pop3; });
        pop.UserName = QString::fromUtf8(servers.User);
        pop.Password = QStringLiteral("wrong");
        try {
            pop.RetrieveAll(TmsAfterRetrieve::Delete);
            QFAIL("no error");
        } catch (const EServerError& e) {
            QVERIFY2(e.Message.startsWith("-ERR"), qPrintable(e.Message));
        }
        QVERIFY(!pop.Connected());
    }
};

QTEST_GUILESS_MAIN(TestMailEndToEnd)
#include "tst_mail_e2e.moc"
