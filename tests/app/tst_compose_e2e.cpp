// From the window to a real mailbox and back: a rich-text document with
// accented letters and an attachment is sent through the local Postfix and
// retrieved from the local Dovecot.
#include "ComposeFixture.h"

#include "MailServers.h"
#include "mail/model/message.h"
#include "net/pop3/pop3_client.h"

#include <QTest>

class ComposeEndToEndTest : public QObject {
    Q_OBJECT
    TMailServers servers;
    ComposeFixture fx;

private slots:
    void initTestCase() { PV_REQUIRE_MAILSERVERS(servers); }
    void cleanup() { fx.stop(); }

    void aRichDocumentArrivesAsItsTextWithTheAttachment()
    {
        servers.ClearMailbox();
        fx.start(servers.Smtp);
        trigger(*fx.form, "PlainText1"); // rich text
        const QString text = QString::fromUtf8("Grüße aus Köln,\nçà et là: naïve café.\n.\n..dots stay");
        fx.fill(QString::fromUtf8(servers.Address), QString::fromUtf8("Café für Zoë"), text);
        fx.editor()->SetSelection(0, 5);
        fx.editor()->SetSelStyle(int(TFontStyle::Bold));
        fx.editor()->SetSelColor(Qt::red);

        QByteArray attachment(70000, Qt::Uninitialized);
        for (int i = 0; i < attachment.size(); ++i)
            attachment[i] = char((i * 7919) % 256);
        const QString attachmentFile = fx.dir.filePath("data.bin");
        QFile f(attachmentFile);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(attachment);
        f.close();
        fx.field("AttEdit")->setText(attachmentFile);

        fx.pressSend();
        QCOMPARE(fx.answers->asked, QStringList());
        QCOMPARE(fx.form->statusText(StatusPanel::Font), QString("Connection closed"));
        QVERIFY(servers.WaitForMessages(1));

        TmsPOP pop;
        ChangeOptions(pop, [&](TrkSessionOptions& options) { options.Server = servers.Pop3; });
        pop.UserName = QString::fromUtf8(servers.User);
        pop.Password = QString::fromUtf8(servers.Password);
        pop.RetrieveAll(TmsAfterRetrieve::Delete);
        QCOMPARE(pop.MessageList->Count(), 1);
        const TmsMessage& got = pop.MessageList->Items(0);
        QCOMPARE(QString::fromUtf8(got.Subject()), QString::fromUtf8("Café für Zoë"));
        QCOMPARE(got.Sender().Address(), QByteArray("me@here.test"));
        QStringList body;
        for (const QByteArray& line : got.Body())
            body << QString::fromUtf8(line);
        QCOMPARE(body, text.split('\n'));
        QCOMPARE(got.Attachments().Count(), 1);
        QCOMPARE(got.Attachments().Items(0).FileName(), QByteArray("data.bin"));
        QCOMPARE(got.Attachments().Items(0).Data().Bytes(), attachment);
    }
};

QTEST_MAIN(ComposeEndToEndTest)
#include "tst_compose_e2e.moc"
