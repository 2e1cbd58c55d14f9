// The mailbox window through its actions: opening and closing, the enabled
// state of its commands per listing, the local stores' listing, compaction
// and deletion, viewing and answering, attachments, and retrieval against a
// scripted POP3 server, with mail deleted from it only once on disk.
#include "MailboxFixture.h"

#include "ScriptedServer.h"
#include "mail/model/message.h"
#include "mail/store/open_with_program.h"
#include "net/pop3/pop3_client.h"
#include "net/session/challenge_logins.h"
#include "toolkit/gui/RichEdit.h"

#include <QAccessible>
#include <QHostInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

namespace {

QByteArray mail(const QByteArray& from, const QByteArray& subject, const QByteArray& extra = {})
{
    return "From: " + from + "\r\nTo: bob@there.test\r\nSubject: " + subject + "\r\n" + extra
         + "\r\nfirst\r\n\r\nlast\r\n";
}

const QStringList commands{"Retreive1",
                           "DownloadButton",
                           "Stop1",
                           "StopButton",
                           "ViewSavedMail1",
                           "SavedMailButton",
                           "RetrieveCopiestoSelf1",
                           "CopiesButton",
                           "Save1",
                           "SaveButton",
                           "View1",
                           "ViewButton",
                           "ViewSelectedMessage1",
                           "Reply1",
                           "ReplyButton",
                           "Forward1",
                           "ForwardButton",
                           "DeleteSelectedMessage1",
                           "DeleteButton",
                           "ExecuteAttachment1",
                           "ExecuteButton"};

TScriptedServer& loggedIn(TScriptedServer& server, const QByteArray& stat)
{
    return server.Reply("+OK ready")
        .Expect("USER tester")
        .Reply("+OK")
        .Expect("PASS secret")
        .Reply("+OK in")
        .Expect("STAT")
        .Reply(stat);
}

TScriptedServer& message(TScriptedServer& server, int number, const QByteArray& text)
{
    const QByteArray n = QByteArray::number(number);
    return server.Expect("LIST " + n).Reply("+OK " + n + " 100").Expect("RETR " + n).Reply("+OK").Send(text + ".\r\n");
}

} // namespace

class MailboxTest : public QObject {
    Q_OBJECT
    MailboxFixture fx;

    QStringList enabledCommands() const
    {
        QStringList on;
        for (const QString& name : commands)
            if (partOf<QAction>(*fx.mailbox, qPrintable(name))->isEnabled())
                on << name;
        return on;
    }
    void storeSaved(const QList<int>& numbers, const QByteArray& counter)
    {
        for (int n : numbers)
            fx.write(fx.saved() + QStringLiteral("/m%1.eml").arg(n),
                     mail("Ann <ann@x.test>", "s" + QByteArray::number(n)));
        fx.write(fx.saved() + "/emax.dat", counter);
    }
    QStringList editorLines() const { return partOf<TRichEdit>(*fx.form, "RichEdit1")->Lines(); }

private slots:
    void cleanup() { fx.stop(); }

    void openingDisablesItsItemsAndClosingGivesThemBack()
    {
        fx.start();
        QVERIFY(fx.mailbox);
        QCOMPARE(fx.mailbox->windowTitle(), "Retreive Email Messages");
        QVERIFY(!partOf<QAction>(*fx.form, "RetreiveEmail1")->isEnabled());
        QVERIFY(!partOf<QAction>(*fx.form, "StayOnTop1")->isEnabled());
        fx.run("Close1");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!fx.mailbox);
        QVERIFY(partOf<QAction>(*fx.form, "RetreiveEmail1")->isEnabled());
        QVERIFY(partOf<QAction>(*fx.form, "StayOnTop1")->isEnabled());
    }

    // A screen reader announces each tool button by the hint it shows.
    void everyToolButtonHasAName()
    {
        fx.start();
        QStringList names;
        for (QAction* action : partOf<QToolBar>(*fx.mailbox, "ToolBar1")->actions()) {
            auto* button = qobject_cast<QToolButton*>(
                partOf<QToolBar>(*fx.mailbox, "ToolBar1")->widgetForAction(action));
            if (button)
                names << QAccessible::queryAccessibleInterface(button)->text(QAccessible::Name).trimmed();
        }
        QCOMPARE(names.size(), 11);
        QVERIFY2(!names.contains(QString()), qPrintable(names.join(QLatin1Char('|'))));
        QCOMPARE(names.first(), QStringLiteral("Download email from your server"));
    }

    void commandStatesFollowTheListing_data()
    {
        QTest::addColumn<QString>("listing");
        QTest::addColumn<QStringList>("enabled");
        QTest::newRow("saved mail")
            << "ViewSavedMail1"
            << QStringList{"Retreive1",   "DownloadButton", "RetrieveCopiestoSelf1", "CopiesButton",
                           "View1",       "ViewButton",     "ViewSelectedMessage1",  "Reply1",
                           "ReplyButton", "Forward1",       "ForwardButton",         "DeleteSelectedMessage1",
                           "DeleteButton"};
        QTest::newRow("copies")
            << "RetrieveCopiestoSelf1"
            << QStringList{"Retreive1",  "DownloadButton",       "ViewSavedMail1",         "SavedMailButton", "View1",
                           "ViewButton", "ViewSelectedMessage1", "DeleteSelectedMessage1", "DeleteButton"};
    }
    void commandStatesFollowTheListing()
    {
        QFETCH(QString, listing);
        QFETCH(QStringList, enabled);
        fx.start();
        storeSaved({0}, "1\r\n");
        fx.write(fx.copies() + "/cm0.eml", mail("me@here.test", "sent"));
        fx.write(fx.copies() + "/copymax.dat", "1\r\n");
        fx.run(qPrintable(listing));
        QCOMPARE(enabledCommands(), enabled);
        emit partOf<QMenu>(*fx.mailbox, "PopupMenu1")->aboutToShow();
        for (const auto& [item, twin] :
             {std::pair{"ReplytoMessage1", "Reply1"}, {"DeleteMessage1", "DeleteSelectedMessage1"}})
            QCOMPARE(partOf<QAction>(*fx.mailbox, item)->isEnabled(), enabled.contains(twin));
    }

    void savedListingClosesGapsAndRewritesTheCounter()
    {
        fx.start();
        storeSaved({0, 2, 5}, "6\r\n");
        fx.run("ViewSavedMail1");
        QCOMPARE(fx.rows(1), (QStringList{"s0", "s2", "s5"}));
        QCOMPARE(fx.panel(0), "Messages: 3");
        QCOMPARE(QDir(fx.saved()).entryList({"m*.eml"}, QDir::Files, QDir::Name),
                 (QStringList{"m0.eml", "m1.eml", "m2.eml"}));
        QVERIFY(fx.read(fx.saved() + "/m2.eml").contains("Subject: s5"));
        QCOMPARE(fx.read(fx.saved() + "/emax.dat"), "3\r\n");
    }

    // A reordering mark in a name would flip the text after it, in the list
    // and beyond its column.
    void shownNamesHoldNoBidirectionalControls()
    {
        fx.start();
        fx.write(fx.saved() + "/m0.eml", mail("\"Ann \u202Egnp.exe\" <ann@x.test>", "bill \u2067fdp\u2069.exe"));
        fx.write(fx.saved() + "/emax.dat", "1\r\n");
        fx.run("ViewSavedMail1");
        const QString shown = fx.rows(0).join(QString()) + fx.rows(1).join(QString());
        QVERIFY2(!shown.contains(QChar(0x202E)) && !shown.contains(QChar(0x2067)) && !shown.contains(QChar(0x2069)),
                 qPrintable(shown));
        QVERIFY2(shown.contains(QStringLiteral("gnp.exe")), qPrintable(shown));
    }

    void deletingRowZeroRelists()
    {
        fx.start();
        storeSaved({0, 1, 2}, "3\r\n");
        fx.run("ViewSavedMail1");
        fx.select(0);
        fx.run("DeleteSelectedMessage1");
        QCOMPARE(fx.rows(1), (QStringList{"s1", "s2"}));
        QVERIFY(fx.read(fx.saved() + "/m0.eml").contains("Subject: s1"));
        QVERIFY(!QFile::exists(fx.saved() + "/m2.eml"));
        QCOMPARE(fx.read(fx.saved() + "/emax.dat"), "2\r\n");
    }

    // "05" counts as 5: m05.eml is never a listed number; an unreadable
    // file shows its name and the listing goes on.
    void oddFilesInTheStore()
    {
        fx.start();
        storeSaved({0, 2}, "05\r\n");
        fx.write(fx.saved() + "/m05.eml", mail("x@x.test", "never"));
        QDir(fx.saved()).mkdir("m1.eml");
        fx.run("ViewSavedMail1");
        QCOMPARE(fx.rows(1), (QStringList{"s0", "m1.eml", "s2"}));
        QVERIFY(QFile::exists(fx.saved() + "/m05.eml"));
        QVERIFY(fx.answers->asked.isEmpty());
    }

    void storeWithoutAUsableCounter_data()
    {
        QTest::addColumn<QString>("listing");
        QTest::addColumn<QByteArray>("counter");
        QTest::addColumn<QString>("box");
        QTest::newRow("saved, none") << "ViewSavedMail1" << QByteArray()
                                     << "There are no saved email messages in the email directory";
        QTest::newRow("copies, none") << "RetrieveCopiestoSelf1" << QByteArray()
                                      << "There are no saved email messages in the CopyToSelf directory";
        QTest::newRow("not a number") << "ViewSavedMail1" << QByteArray("x1\r\n")
                                      << "The mail store counter %1 does not hold a number: 'x1'";
    }
    void storeWithoutAUsableCounter()
    {
        QFETCH(QString, listing);
        QFETCH(QByteArray, counter);
        QFETCH(QString, box);
        fx.start();
        if (!counter.isEmpty())
            fx.write(fx.saved() + "/emax.dat", counter);
        fx.run(qPrintable(listing));
        if (box.contains("%1"))
            box = box.arg(fx.saved() + "/emax.dat");
        QCOMPARE(fx.answers->asked, QStringList{box});
        QVERIFY(partOf<QAction>(*fx.mailbox, "Retreive1")->isEnabled());
        QVERIFY(!partOf<QAction>(*fx.mailbox, "DeleteSelectedMessage1")->isEnabled());
    }

    void copiesShowTheRecipient()
    {
        fx.start();
        storeSaved({0}, "1\r\n");
        fx.write(fx.copies() + "/cm0.eml", mail("me@here.test", "sent"));
        fx.write(fx.copies() + "/copymax.dat", "1\r\n");
        fx.run("RetrieveCopiestoSelf1");
        QCOMPARE(fx.list()->headerItem()->text(0), "To:");
        QCOMPARE(fx.rows(0), QStringList{"bob@there.test"});
        fx.run("ViewSavedMail1");
        QCOMPARE(fx.list()->headerItem()->text(0), "From:");
    }

    void viewReplyAndForward()
    {
        fx.start();
        storeSaved({0}, "1\r\n");
        fx.run("ViewSavedMail1");
        fx.select(0);
        fx.run("View1");
        const QStringList summary{"To: bob@there.test",
                                  "From: Ann <ann@x.test>",
                                  "Subject: s0",
                                  "Date: ",
                                  "Return Address: ",
                                  "",
                                  "",
                                  "",
                                  "first",
                                  "",
                                  "last"};
        QCOMPARE(editorLines(), summary);
        QCOMPARE(fx.form->docName(), QDir(fx.saved()).filePath("m0.eml"));

        fx.run("Reply1");
        QCOMPARE(partOf<QLineEdit>(*fx.form, "toEdit")->text(), "ann@x.test");
        QCOMPARE(partOf<QLineEdit>(*fx.form, "subjectEdit")->text(), "s0");
        QStringList quoted;
        for (const QString& line : summary)
            quoted << ">" + line;
        QCOMPARE(editorLines(), quoted);

        fx.run("Forward1");
        QCOMPARE(partOf<QLineEdit>(*fx.form, "toEdit")->text(), "");
        QCOMPARE(editorLines().first(), "->To: bob@there.test");
        QCOMPARE(editorLines().last(), "Forwarded by: Me me@here.test");
    }

    // The answer goes out with the original's ids, so other programs thread
    // it; a forward that follows answers nothing.
    void aReplyCarriesTheOriginalsIds()
    {
        fx.start();
        fx.write(fx.saved() + "/m0.eml", mail("Ann <ann@x.test>", "s0", "Message-ID: <first@x.test>\r\n"));
        fx.write(fx.saved() + "/emax.dat", "1\r\n");
        fx.run("ViewSavedMail1");
        fx.select(0);
        QList<QByteArray> sent;
        for (const char* command : {"Reply1", "Forward1"}) {
            fx.run(command);
            partOf<QLineEdit>(*fx.form, "toEdit")->setText("ann@x.test");
            TScriptedServer server;
            server.Reply("220 ready").Expect("EHLO " + QHostInfo::localHostName().toUtf8()).Reply("250 hello");
            server.Expect("MAIL FROM:<me@here.test>").Reply("250 ok").Expect("RCPT TO:<ann@x.test>").Reply("250 ok");
            server.Expect("DATA").Reply("354 go").ExpectData("\r\n.\r\n").Reply("250 queued").Expect("QUIT");
            server.Reply("221 bye");
            ChangeOptions(*partOf<TmsSMTP>(*fx.form, "msSMTP1"),
                          [&](TrkSessionOptions& options) { options.Server = server.Address(); });
            partOf<QPushButton>(*fx.form, "SendBtn")->click();
            QTRY_VERIFY(server.Finished());
            sent << server.Data();
        }
        QVERIFY2(sent[0].contains("\r\nIn-Reply-To: <first@x.test>\r\nReferences: <first@x.test>\r\n"),
                 sent[0].constData());
        QVERIFY2(!sent[1].contains("In-Reply-To:") && !sent[1].contains("References:"), sent[1].constData());
    }

    void clickCountsAttachmentsAndExecuteOpensTheFirst()
    {
        fx.start();
        TmsMessage message;
        message.Sender().SetAddress("ann@x.test");
        message.SetSubject("files");
        message.Body() << "see";
        for (const char* name : {"one.txt", "two.txt"}) {
            fx.write(fx.path(name), name);
            message.Attachments().AddFile(fx.path(name));
        }
        message.SaveToFile(fx.saved() + "/m0.eml");
        fx.write(fx.saved() + "/emax.dat", "1\r\n");
        QStringList opened;
        SetFileOpener([&](const QString& path) {
            opened << QFileInfo(path).fileName();
            return 0;
        });
        fx.run("ViewSavedMail1");
        fx.select(0);
        emit fx.list()->itemClicked(fx.list()->topLevelItem(0), 0);
        QCOMPARE(fx.panel(2), "Attachments: 2");
        QVERIFY(partOf<QAction>(*fx.mailbox, "ExecuteButton")->isEnabled());
        fx.run("ExecuteAttachment1");
        SetFileOpener({});
        QCOMPARE(opened, QStringList{"one.txt"});
    }

    void emptyMailbox()
    {
        TScriptedServer server;
        loggedIn(server, "+OK 0 0").Expect("QUIT").Reply("+OK bye");
        fx.start(server.Address());
        fx.run("Retreive1");
        QCOMPARE(fx.rows(0), QStringList());
        QCOMPARE(fx.panel(0), "Messages: 0");
        QCOMPARE(fx.panel(1), "Done");
        QCOMPARE(enabledCommands(),
                 (QStringList{"ViewSavedMail1", "SavedMailButton", "RetrieveCopiestoSelf1", "CopiesButton",
                              "SaveButton", "ViewButton", "Reply1", "ReplyButton", "Forward1", "ForwardButton"}));
        QVERIFY(fx.answers->asked.isEmpty());
    }

    // A message the server refuses is skipped, the rest still come, and the
    // user is told once which one stays on the server.
    void aRefusedMessageIsReportedAndTheRestArrive()
    {
        TScriptedServer server;
        loggedIn(server, "+OK 2 200").Expect("UIDL").Reply("-ERR no ids"); // mail left on the server: every one
        server.Expect("LIST 1").Reply("+OK 1 100").Expect("RETR 1").Reply("-ERR locked");
        message(server, 2, mail("b@x.test", "two")).Expect("QUIT").Reply("+OK bye");
        fx.start(server.Address());
        AppSettings().KeepMailOnServer = true;
        fx.run("Retreive1");
        QCOMPARE(fx.rows(1), QStringList{"two"});
        QCOMPARE(fx.answers->asked.size(), 1);
        QVERIFY(fx.answers->asked.first().contains("-ERR locked"));
    }

    void failedRetrievalKeepsRowsAndState_data()
    {
        QTest::addColumn<bool>("loginRefused");
        QTest::newRow("login refused") << true;
        QTest::newRow("time-out mid-retrieval") << false;
    }
    void failedRetrievalKeepsRowsAndState()
    {
        QFETCH(bool, loginRefused);
        TScriptedServer server;
        if (loginRefused)
            server.Reply("+OK")
                .Expect("USER tester")
                .Reply("+OK")
                .Expect("PASS secret")
                .Reply("-ERR no")
                .Expect("QUIT");
        else
            message(loggedIn(server, "+OK 2 200").Expect("UIDL").Reply("-ERR no ids"), 1, mail("a@x.test", "one"))
                .Expect("LIST 2");
        fx.start(server.Address());
        AppSettings().KeepMailOnServer = true;
        ChangeOptions(*partOf<TrkSocket>(*fx.mailbox, "msPOP1"),
                      [](TrkSessionOptions& options) { options.TimeOut = 1; });
        fx.run("Retreive1");
        QCOMPARE(fx.answers->asked.size(), 1);
        QCOMPARE(fx.rows(1), loginRefused ? QStringList() : QStringList{"one"});
        QVERIFY(partOf<QAction>(*fx.mailbox, "Retreive1")->isEnabled());
        QVERIFY(fx.mailbox->cursor().shape() != Qt::WaitCursor && fx.list()->cursor().shape() != Qt::WaitCursor);
    }

    // Each DELE finds its message on disk already.
    void mailDeletedFromTheServerIsOnDiskFirst()
    {
        TScriptedServer server;
        message(message(loggedIn(server, "+OK 2 200").Expect("UIDL").Reply("-ERR no ids"), 1, mail("a@x.test", "one")),
                2, mail("b@x.test", "two"));
        server.Expect("DELE 1").Reply("+OK").Expect("DELE 2").Reply("+OK").Expect("QUIT").Reply("+OK bye");
        fx.start(server.Address());
        auto* pop = partOf<TmsCustomPOP>(*fx.mailbox, "msPOP1");
        QStringList onDisk;
        pop->OnDeleting = [&](QObject*, int n) { onDisk << fx.read(fx.saved() + QStringLiteral("/m%1.eml").arg(n)); };
        fx.run("Retreive1");
        QTRY_VERIFY(server.Finished());
        QCOMPARE(server.Failures(), QStringList());
        QCOMPARE(onDisk.size(), 2);
        QVERIFY(onDisk[0].contains(" one\r\n") && onDisk[1].contains(" two\r\n"));
    }

    // The store vanishes after the first message: the second cannot be
    // stored (so it is not fetched), the first cannot reach the disk, and
    // neither is deleted.
    void mailThatCannotBeStoredStaysOnTheServer()
    {
        TScriptedServer server;
        message(loggedIn(server, "+OK 2 200").Expect("UIDL").Reply("-ERR no ids"), 1, mail("a@x.test", "one"))
            .Expect("LIST 2")
            .Reply("+OK 2 100");
        server.Expect("QUIT").Reply("+OK bye");
        fx.start(server.Address());
        auto* pop = partOf<TmsCustomPOP>(*fx.mailbox, "msPOP1");
        const TmsNumNotifyEvent retrieved = pop->OnRetrieved;
        pop->OnRetrieved = [&](QObject* sender, int n) {
            retrieved(sender, n);
            QDir().rename(fx.saved(), fx.path("moved"));
            fx.write(fx.saved(), "a file where the store was");
        };
        fx.run("Retreive1");
        QTRY_VERIFY(server.Finished());
        QCOMPARE(server.Failures(), QStringList());
        QCOMPARE(fx.rows(1), QStringList{"one"});
        QCOMPARE(fx.answers->asked.size(), 1);
    }

    void storedOnTheWaySavesNoSecondCopy()
    {
        TScriptedServer server;
        message(loggedIn(server, "+OK 1 100").Expect("UIDL").Reply("-ERR no ids"), 1, mail("a@x.test", "one"))
            .Expect("DELE 1")
            .Reply("+OK");
        server.Expect("QUIT").Reply("+OK bye");
        fx.start(server.Address());
        fx.run("Retreive1");
        QCOMPARE(fx.panel(2), "Saved: 1");
        fx.select(0);
        fx.run("Save1");
        QCOMPARE(fx.panel(2), "Message Saved");
        QCOMPARE(QDir(fx.saved()).entryList({"m*.eml"}, QDir::Files), QStringList{"m0.eml"});
    }

    // A message stored on its way is listed from its header fields; the
    // views read the rest from its file, the server's text.
    void storedServerMailIsShownFromItsFile()
    {
        const QByteArray text =
            "From: a@x.test\r\nTo: bob@there.test\r\nSubject: files\r\nMIME-Version: 1.0\r\n"
            "Content-Type: multipart/mixed; boundary=\"b\"\r\n\r\n--b\r\n\r\nsee\r\n--b\r\n"
            "Content-Disposition: attachment; filename=\"one.txt\"\r\n\r\none\r\n--b--\r\n";
        TScriptedServer server;
        message(loggedIn(server, "+OK 1 100").Expect("UIDL").Reply("-ERR no ids"), 1, text)
            .Expect("DELE 1")
            .Reply("+OK")
            .Expect("QUIT")
            .Reply("+OK bye");
        fx.start(server.Address());
        fx.run("Retreive1");
        QCOMPARE(fx.rows(1), QStringList{"files"});
        fx.select(0);
        emit fx.list()->itemClicked(fx.list()->topLevelItem(0), 0);
        QCOMPARE(fx.panel(2), "Attachments: 1");
        QStringList opened;
        SetFileOpener([&](const QString& path) {
            opened << QFileInfo(path).fileName() + ' ' + fx.read(path);
            return 0;
        });
        fx.run("ExecuteAttachment1");
        SetFileOpener({});
        QCOMPARE(opened, QStringList{"one.txt one"});
        fx.run("ViewSelectedMessage1");
        QCOMPARE(editorLines().first(), "From: a@x.test");
    }

    // Mail left on the server without ids is held in memory; saving it
    // stores the server's text as it came, raw Latin-1 and field order kept.
    void savedMessageIsTheServersText()
    {
        const QByteArray text =
            "Subject: odd\r\nX-Mailer: old\r\nFrom: a@x.test\r\nTo: bob@there.test\r\n\r\nCaf\xe9\r\n";
        TScriptedServer server;
        loggedIn(server, "+OK 1 100").Expect("UIDL").Reply("-ERR no ids");
        message(server, 1, text).Expect("QUIT").Reply("+OK bye");
        fx.start(server.Address());
        AppSettings().KeepMailOnServer = true;
        fx.run("Retreive1");
        QTRY_VERIFY(server.Finished());
        fx.select(0);
        fx.run("Save1");
        QCOMPARE(fx.read(fx.saved() + QStringLiteral("/m0.eml")), text);
    }

    // Mail left on the server comes once by its id, and will not be listed
    // again: the window keeps it in saved mail.
    void mailFetchedOnceIsKept()
    {
        TScriptedServer server;
        loggedIn(server, "+OK 1 100").Expect("UIDL").Reply("+OK").Reply("1 id-one").Reply(".");
        message(server, 1, mail("a@x.test", "one")).Expect("QUIT").Reply("+OK bye");
        fx.start(server.Address());
        AppSettings().KeepMailOnServer = true;
        fx.run("Retreive1");
        QTRY_VERIFY(server.Finished());
        QCOMPARE(server.Failures(), QStringList());
        QCOMPARE(fx.rows(1), QStringList{"one"});
        QCOMPARE(fx.panel(2), "Saved: 1");
        QVERIFY(fx.read(fx.saved() + QStringLiteral("/m0.eml")).contains(" one\r\n"));
    }

    // A server that offered APOP before and no longer does: the user is
    // asked; no sends no password, yes logs in as before.
    void aWithdrawnApopIsAsked_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("no") << int(mrNo);
        QTest::newRow("yes") << int(mrYes);
    }
    void aWithdrawnApopIsAsked()
    {
        QFETCH(int, answer);
        TScriptedServer server;
        if (answer == mrYes)
            loggedIn(server, "+OK 0 0").Expect("QUIT").Reply("+OK bye");
        else
            server.Reply("+OK ready").Expect("QUIT").Reply("+OK bye");
        fx.start(server.Address());
        TChallengeLogins(ChallengeLoginsPath(), server.Address(), "tester", "APOP").Remember();
        fx.answers->boxAnswers = {answer};
        fx.run("Retreive1");
        QTRY_VERIFY(server.Finished());
        QCOMPARE(server.Failures(), QStringList());
        QCOMPARE(fx.answers->asked.size(), answer == mrYes ? 1 : 2); // no: and the error that says so
        QVERIFY2(fx.answers->asked.first().startsWith("The server " + server.Address() + " offered a log-in")
                     && fx.answers->asked.first().endsWith("\n\nLog in anyway?"),
                 qPrintable(fx.answers->asked.first()));
    }

    // The server falls silent after the first message; the user's command
    // ends the retrieval at once, long before the time-out would.
    void closeStopAndExitEndARetrieval_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("File > Close") << "Close1";
        QTest::newRow("Close button") << "CloseButton";
        QTest::newRow("File > Stop") << "Stop1";
        QTest::newRow("Stop button") << "StopButton";
        QTest::newRow("editor's File > Exit") << "N2";
    }
    void closeStopAndExitEndARetrieval()
    {
        QFETCH(QString, command);
        TScriptedServer server;
        message(loggedIn(server, "+OK 2 200").Expect("UIDL").Reply("-ERR no ids"), 1, mail("a@x.test", "one"))
            .Expect("LIST 2");
        fx.start(server.Address());
        ChangeOptions(*partOf<TrkSocket>(*fx.mailbox, "msPOP1"),
                      [](TrkSessionOptions& options) { options.TimeOut = 5; });
        QStringList enabledMeanwhile;
        QTimer::singleShot(300, fx.mailbox, [&] {
            enabledMeanwhile = enabledCommands();
            QObject& window = command == "N2" ? static_cast<QObject&>(*fx.form) : *fx.mailbox;
            trigger(window, qPrintable(command));
        });
        QElapsedTimer clock;
        clock.start();
        fx.run("Retreive1");
        QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(enabledMeanwhile.contains("StopButton") && enabledMeanwhile.contains("Stop1"));
        QCOMPARE(fx.answers->asked, QStringList());
        if (command.startsWith("Stop")) {
            QCOMPARE(fx.rows(1), QStringList{"one"});
            QCOMPARE(fx.panel(1), "Stopped");
            QVERIFY(!enabledCommands().contains("StopButton"));
            return;
        }
        QTRY_VERIFY(!fx.mailbox);
        QCOMPARE(fx.form->isVisible(), command != "N2"); // no window left: the event loop ends
    }
};

QTEST_MAIN(MailboxTest)
#include "tst_mailbox.moc"
