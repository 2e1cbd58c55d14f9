// Messages: content type, required fields, header take-over, copies,
// attachments on disk, list ownership and the stored component.
#include "errorof.h"
#include "mail/model/message.h"
#include "mail/store/open_with_program.h"
#include "toolkit/Registry.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

void addAttachment(TmsCustomMessage& message, const QByteArray& name, const QByteArray& data = {})
{
    auto item = std::make_unique<TmsAttItem>();
    item->SetFileName(name);
    item->Data().Write(data);
    message.Attachments().Add(std::move(item));
}


// Stands in for the MIME coding: the text is the body.
class PlainTextMessage : public TmsMessage {
public:
    void SaveToStream(TStream& stream) override { Body().SaveToStream(stream); }
    void LoadFromStream(TStream& stream) override { Body().LoadFromStream(stream); }
};

} // namespace

class TestMessage : public QObject {
    Q_OBJECT
private slots:
    void init() { SetFileTypeTable(QHash<QString, QString>{{".pdf", "application/pdf"}, {".htm", "text/html"}}); }
    void cleanup()
    {
        SetFileTypeTable(std::nullopt);
        SetFileOpener({});
    }

    void contentTypeFromBodyAndAttachments()
    {
        TmsMessage message;
        QCOMPARE(message.ContentType(), QByteArray("text/plain"));
        addAttachment(message, "report.pdf");
        QCOMPARE(message.ContentType(), QByteArray("application/pdf"));
        message.Body().append("text");
        QCOMPARE(message.ContentType(), QByteArray("multipart/mixed"));
        message.Body().clear();
        addAttachment(message, "other.pdf");
        QCOMPARE(message.ContentType(), QByteArray("multipart/mixed"));
    }

    void alternativesAndBodyFiles()
    {
        TmsMessage message;
        message.Body().append("text");
        addAttachment(message, "_alt.0");
        addAttachment(message, "/tmp/_ALT.1");
        QCOMPARE(message.ContentType(), QByteArray("multipart/alternative"));
        addAttachment(message, "x.pdf");
        QCOMPARE(message.ContentType(), QByteArray("multipart/mixed"));

        TmsMessage html;
        addAttachment(html, "C:\\temp\\_HtmBody.HTM");
        QCOMPARE(html.ContentType(), QByteArray("text/html"));
        TmsMessage rtf;
        addAttachment(rtf, "/var/tmp/_rtfbody.rtf");
        QCOMPARE(rtf.ContentType(), QByteArray("text/rtf"));
    }

    void storedContentTypeAndUuencode()
    {
        TmsMessage message;
        message.Body().append("<p>hi</p>");
        message.SetContentType("Text/HTML");
        QCOMPARE(message.ContentType(), QByteArray("text/html"));
        message.SetEncoding(meUU);
        QCOMPARE(message.ContentType(), QByteArray());
        message.Clear();
        QCOMPARE(message.ContentType(), QByteArray("text/plain"));
    }

    void requiredFields()
    {
        TmsMessage message;
        QCOMPARE(errorOf([&] { message.CheckRequired(); }), QStringLiteral("The address of sender is required"));
        message.Sender().SetAddress("me@x.org");
        message.Recipients().AddAddress("", "Nobody");
        message.CC().AddAddress("", "");
        QCOMPARE(errorOf([&] { message.CheckRequired(); }),
                 QStringLiteral("At least one Recipient, CC or BCC must be entered"));
        message.BCC().AddAddress("hidden@x.org", "");
        message.CheckRequired();

        TmsArticle article;
        article.Sender().SetAddress("me@x.org");
        QCOMPARE(errorOf([&] { article.CheckRequired(); }), QStringLiteral("Newsgroup header is required"));
        article.SetNewsGroups("comp.lang");
        QCOMPARE(errorOf([&] { article.CheckRequired(); }), QStringLiteral("Subject header is required"));
        article.SetSubject("s");
        article.CheckRequired();
    }

    void readHeaders()
    {
        TmsMessage message;
        message.Recipients().AddAddress("kept@x.org", "");
        message.SetSubject("old subject");
        const TmsHeaders headers{"From: \"Jo Doe\" <jo@x.org>", "To: a@x.org, \"B, Bee\" <b@x.org>", "Cc: c@x.org",
                                 "X-Priority: 1 (Highest)", "Return-Receipt-To: <jo@x.org>"};
        message.ReadHeaders(headers);
        QCOMPARE(message.Sender().Name(), QByteArray("Jo Doe"));
        QCOMPARE(message.Sender().Address(), QByteArray("jo@x.org"));
        QCOMPARE(message.Recipients().Count(), 3);
        QCOMPARE(message.Recipients().Items(2).Name(), QByteArray("B, Bee"));
        QCOMPARE(message.CC().Items(0).Address(), QByteArray("c@x.org"));
        QCOMPARE(message.BCC().Count(), 0);
        QCOMPARE(message.Subject(), QByteArray("old subject"));
        QCOMPARE(message.Priority(), ptHigh);
        QVERIFY(message.ReturnReceipt());
        QCOMPARE(message.Headers(), headers);
    }

    void priorities()
    {
        const struct {
            const char* value;
            TPriority priority;
        } cases[] = {{"1", ptHigh},   {"5", ptLow},     {"5 (Lowest)", ptLow},
                     {"2", ptNormal}, {"10", ptNormal}, {"", ptNormal}};
        for (const auto& c : cases) {
            TmsMessage message;
            message.ReadHeaders({"X-Priority: " + QByteArray(c.value)});
            QCOMPARE(message.Priority(), c.priority);
        }
    }

    void articleHeaders()
    {
        TmsArticle article;
        article.ReadHeaders({"From: n@x.org (News Poster)", "Newsgroups: comp.lang.misc", "Path: a!b",
                             "Message-ID: <1@x.org>", "Subject: =?utf-8?Q?caf=C3=A9?="});
        QCOMPARE(article.Sender().Name(), QByteArray("News Poster"));
        QCOMPARE(article.NewsGroups(), QByteArray("comp.lang.misc"));
        QCOMPARE(article.Path(), QByteArray("a!b"));
        QCOMPARE(article.MessageID(), QByteArray("<1@x.org>"));
        QCOMPARE(article.Subject(), QByteArray("caf\xC3\xA9"));
    }

    void assignCopiesDeeply()
    {
        TmsMessage source;
        source.Sender().SetAddress("me@x.org");
        source.SetSubject("s");
        source.Recipients().AddAddress("to@x.org", "To");
        source.SetPriority(ptLow);
        source.SetTag(7);
        source.Body().append("line");
        addAttachment(source, "a.pdf", "bytes");
        TmsMessage copy;
        copy.Assign(source);
        copy.Recipients().Items(0).SetAddress("changed@x.org");
        copy.Attachments().Items(0).Data().Write(QByteArray("XX"));
        QCOMPARE(source.Recipients().Items(0).Address(), QByteArray("to@x.org"));
        QCOMPARE(source.Attachments().Items(0).Data().Bytes(), QByteArray("bytes"));
        QCOMPARE(copy.Priority(), ptLow);
        QCOMPARE(copy.Tag(), 7);
        QCOMPARE(copy.ContentType(), QByteArray("multipart/mixed"));

        TmsArticle article;
        article.Assign(source); // the common part only
        QCOMPARE(article.Subject(), QByteArray("s"));
        TmsMessage fromArticle;
        fromArticle.SetPriority(ptHigh);
        fromArticle.Assign(article);
        QCOMPARE(fromArticle.Priority(), ptHigh);
        TmsAttItem item;
        QVERIFY_THROWS_EXCEPTION(EConvertError, copy.Assign(item));
    }

    void clearKeepsPriorityAndReceipt()
    {
        TmsMessage message;
        message.SetPriority(ptHigh);
        message.SetReturnReceipt(true);
        message.Recipients().AddAddress("a@x.org", "");
        message.SetCharSet(csUTF8);
        message.Clear();
        QCOMPARE(message.Recipients().Count(), 0);
        QCOMPARE(message.CharSet(), csUSASCII);
        QCOMPARE(message.Priority(), ptHigh);
        QVERIFY(message.ReturnReceipt());
    }

    void saveAttachmentStaysInDirectory()
    {
        QTemporaryDir dir;
        TmsMessage message;
        addAttachment(message, "../../escape.pdf", "a");
        addAttachment(message, "C:\\Users\\x\\..", "b");
        addAttachment(message, "/etc/", "c");
        QCOMPARE(message.SaveAttachment(0, dir.path()), dir.path() + "/escape.pdf");
        QCOMPARE(message.SaveAttachment(1, dir.path() + "/"), dir.path() + "/att.1");
        QCOMPARE(message.SaveAttachment(2, dir.path()), dir.path() + "/att.2");
        QCOMPARE(ReadWholeFile(dir.path() + "/att.2"), QByteArray("c"));
        QVERIFY_THROWS_EXCEPTION(EListError, message.SaveAttachment(3, dir.path()));
    }

    void executeAttachmentOpensPrivateCopy()
    {
        QString opened;
        SetFileOpener([&](const QString& path) {
            opened = path;
            return 0;
        });
        QString saved;
        {
            TmsMessage message;
            addAttachment(message, "/home/u/docs/report.pdf", "pdf bytes");
            message.ExecuteAttachment(0);
            QCOMPARE(QFileInfo(opened).fileName(), QStringLiteral("report.pdf"));
            QVERIFY(opened.startsWith(QDir::tempPath() + "/"));
            QCOMPARE(QFileInfo(QFileInfo(opened).path()).permissions() & (QFile::ReadOther | QFile::WriteOther),
                     QFile::Permissions());
            QCOMPARE(ReadWholeFile(opened), QByteArray("pdf bytes"));
            QCOMPARE(message.TempFiles(), QStringList{opened});
            saved = opened;
        }
        QVERIFY(!QFileInfo::exists(saved));
        QVERIFY(!QFileInfo::exists(QFileInfo(saved).path()));
    }

    void executeAttachmentErrors()
    {
        TmsMessage message;
        addAttachment(message, "a.pdf");
        message.Attachments().Items(0).SetFileName("");
        auto blank = std::make_unique<TmsAttItem>();
        message.Attachments().Add(std::move(blank));
        QCOMPARE(errorOf([&] { message.ExecuteAttachment(1); }),
                 QStringLiteral("Unable to execute attachment #1\nbecause file name is blank"));
        message.Attachments().Items(1).SetFileName("b.pdf");
        SetFileOpener([](const QString&) { return 2; });
        QCOMPARE(errorOf([&] { message.ExecuteAttachment(1); }),
                 QStringLiteral("Error executing ShellExec.  Error code 2"));
    }

    void listMessagesBelongToTheirList()
    {
        QObject window;
        QCOMPARE(errorOf([&] { TmsListMessage wrong(&window); }),
                 QStringLiteral("Owner of TmsListMessage must be TmsMessageList"));
        QVERIFY(window.children().isEmpty());

        TmsMessageList list;
        auto* first = new TmsListMessage(&list);
        new TmsListMessage(&list);
        QCOMPARE(list.Count(), 2);
        QCOMPARE(&list.Items(0), first);
        delete first;
        QCOMPARE(list.Count(), 1);
        QVERIFY_THROWS_EXCEPTION(EListError, list.Items(1));
        list.Clear();
        QCOMPARE(list.Count(), 0);
        new TmsListMessage(&list); // freed by the list
    }

    void storedMessageRoundTrip()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("att.pdf");
        WriteWholeFile(file, "attachment data");
        TmsMessage source;
        source.Sender().SetName("Me");
        source.Sender().SetAddress("me@x.org");
        source.SetSubject("Subject");
        source.SetCharSet(csUTF8);
        source.Headers().append("X-Extra: 1");
        source.Body() = {"one", "", "three"};
        source.Recipients().AddAddress("to@x.org", "To");
        source.BCC().AddAddress("bcc@x.org", "");
        source.SetPriority(ptLow);
        source.Attachments().AddFile(file);
        TmsMessage restored;
        ReadProperties(restored, WriteProperties(source));
        QCOMPARE(restored.Sender().Name(), QByteArray("Me"));
        QCOMPARE(restored.Subject(), QByteArray("Subject"));
        QCOMPARE(restored.CharSet(), csUTF8);
        QCOMPARE(restored.Headers(), source.Headers());
        QCOMPARE(restored.Body(), source.Body());
        QCOMPARE(restored.Recipients().Items(0).Name(), QByteArray("To"));
        QCOMPARE(restored.BCC().Count(), 1);
        QCOMPARE(restored.Priority(), ptLow);
        QCOMPARE(restored.Attachments().Items(0).Data().Bytes(), QByteArray("attachment data"));

        QFile::remove(file);
        TmsMessage missing;
        QVERIFY_THROWS_EXCEPTION(EFOpenError, ReadProperties(missing, WriteProperties(source)));
    }

    void filesThroughTheMessageText()
    {
        QTemporaryDir dir;
        PlainTextMessage message;
        message.Body() = {"a", "b"};
        message.SaveToFile(dir.filePath("m1.eml"));
        PlainTextMessage loaded;
        loaded.SetSubject("cleared first");
        loaded.LoadFromFile(dir.filePath("m1.eml"));
        QCOMPARE(loaded.Body(), TStringList({"a", "b"}));
        QCOMPARE(loaded.Subject(), QByteArray());
        loaded.SetSubject("cleared");
        QVERIFY_THROWS_EXCEPTION(EFOpenError, loaded.LoadFromFile(dir.filePath("none.eml")));
        QCOMPARE(loaded.Subject(), QByteArray());
    }
};

QTEST_GUILESS_MAIN(TestMessage)
#include "tst_mail_message.moc"
