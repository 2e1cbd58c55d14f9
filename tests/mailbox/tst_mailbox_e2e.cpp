// The mailbox window against the local Postfix and Dovecot: mail sent with
// pvmail is retrieved with deletion, kept in the saved-mail store, viewed,
// answered and forwarded, and the reply sent from the editor comes back.
#include "MailboxFixture.h"

#include "MailServers.h"
#include "mail/store/open_with_program.h"
#include "net/smtp/smtp_client.h"
#include "toolkit/gui/RichEdit.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

namespace {

const QString accented = QString::fromUtf8("Grüße aus Köln");
const QStringList accentedBody{QString::fromUtf8("Schöne Grüße,"), QString::fromUtf8("çà et là"), "Zoë"};
const QByteArray richDocument =
    "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\n\\f0 Dear \\b Zo\\'eb\\b0 ,\\par\nbest wishes\\par\n}\n";

} // namespace

class MailboxEndToEndTest : public QObject {
    Q_OBJECT
    TMailServers servers;
    MailboxFixture fx;

    void send(const QString& subject, const QByteArray& body, const QStringList& extra = {})
    {
        const int before = int(servers.Messages().size());
        QProcess pvmail;
        pvmail.start(QStringLiteral(PVMAIL_PROGRAM),
                     QStringList{"send", "--server", servers.Smtp, "--from", QString::fromUtf8(servers.Address), "--to",
                                 QString::fromUtf8(servers.Address), "--subject", subject, "--timeout", "10"}
                         + extra + QStringList{"-"});
        pvmail.write(body);
        pvmail.closeWriteChannel();
        QVERIFY(pvmail.waitForFinished(30000));
        QVERIFY2(pvmail.exitCode() == 0, pvmail.readAllStandardError().constData());
        QVERIFY(servers.WaitForMessages(before + 1)); // one at a time keeps the server's order
    }

    QStringList editorLines() const { return partOf<TRichEdit>(*fx.form, "RichEdit1")->Lines(); }
    QString field(const char* name) const { return partOf<QLineEdit>(*fx.form, name)->text(); }

private slots:
    void initTestCase() { PV_REQUIRE_MAILSERVERS(servers); }
    void cleanup() { fx.stop(); }

    void retrieveKeepViewAnswerAndSendTheReply()
    {
        servers.ClearMailbox();
        fx.start(servers.Pop3);
        TSettingsStore& settings = AppSettings();
        settings.POP3Login = QString::fromUtf8(servers.User);
        settings.Password = QString::fromUtf8(servers.Password);
        settings.SMTPServer = servers.Smtp;
        // the window took its settings when made
        ChangeOptions(*partOf<TmsSMTP>(*fx.form, "msSMTP1"),
                      [&](TrkSessionOptions& options) { options.Server = servers.Smtp; });
        settings.EmailAddress = QString::fromUtf8(servers.Address);
        fx.write(fx.path("notes.txt"), "first file\r\n");
        fx.write(fx.path("data.bin"), QByteArray("\x00\xff\r\n.\r\n", 7));
        send("Two files", "see both\n", {"--attach", fx.path("notes.txt"), "--attach", fx.path("data.bin")});
        send(accented, accentedBody.join('\n').toUtf8() + '\n');
        send("Rich letter", richDocument);

        fx.run("Retreive1");
        QCOMPARE(fx.answers->asked, QStringList());
        QCOMPARE(fx.rows(1), (QStringList{"Two files", accented, "Rich letter"}));
        for (const QString& from : fx.rows(0))
            QVERIFY2(from.contains(QString::fromUtf8(servers.Address)), qPrintable(from));
        QCOMPARE(fx.panel(0), "Messages: 3");
        QCOMPARE(fx.panel(2), "Saved: 3");
        QCOMPARE(servers.Messages().size(), 0);

        fx.select(0);
        emit fx.list()->itemClicked(fx.list()->topLevelItem(0), 0);
        QCOMPARE(fx.panel(2), "Attachments: 2");
        QByteArray opened;
        SetFileOpener([&](const QString& path) {
            opened = fx.read(path);
            return 0;
        });
        fx.run("ExecuteAttachment1");
        SetFileOpener({});
        QCOMPARE(opened, "first file\r\n");

        fx.select(1);
        fx.run("Save1");
        QCOMPARE(fx.panel(2), "Message Saved");
        fx.run("View1");
        QCOMPARE(editorLines().at(2), "Subject: " + accented);
        QCOMPARE(editorLines().mid(8), accentedBody);

        fx.run("ViewSavedMail1");
        QCOMPARE(fx.rows(1), (QStringList{"Two files", accented, "Rich letter"}));
        QCOMPARE(QDir(fx.saved()).entryList({"m*.eml"}, QDir::Files), (QStringList{"m0.eml", "m1.eml", "m2.eml"}));
        fx.select(2);
        fx.run("ViewSelectedMessage1");
        QVERIFY(editorLines().contains("\\f0 Dear \\b Zo\\'eb\\b0 ,\\par"));

        fx.select(0);
        fx.run("Forward1");
        QCOMPARE(field("toEdit"), "");
        QCOMPARE(field("subjectEdit"), "Two files");
        QCOMPARE(editorLines().first(), "->To: <" + QString::fromUtf8(servers.Address) + ">");
        QCOMPARE(editorLines().last(), "Forwarded by: Me " + QString::fromUtf8(servers.Address));

        fx.select(1);
        fx.run("Reply1");
        QCOMPARE(field("toEdit"), QString::fromUtf8(servers.Address));
        QCOMPARE(field("subjectEdit"), accented);
        const QStringList reply = editorLines();
        QCOMPARE(reply.mid(8), (QStringList{">" + accentedBody[0], ">" + accentedBody[1], ">" + accentedBody[2]}));

        partOf<QPushButton>(*fx.form, "SendBtn")->click();
        QCOMPARE(fx.answers->asked, QStringList());
        QVERIFY(servers.WaitForMessages(1));
        fx.run("Retreive1");
        QCOMPARE(fx.rows(1), QStringList{accented});
        fx.select(0);
        fx.run("View1");
        QCOMPARE(editorLines().mid(8), reply);
        QCOMPARE(QDir(fx.saved()).entryList({"m*.eml"}, QDir::Files).size(), 4);
    }
};

QTEST_MAIN(MailboxEndToEndTest)
#include "tst_mailbox_e2e.moc"
