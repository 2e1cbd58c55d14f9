// The decoder's shapes, its parse-failure form, and save/load round trips
// of every layout.
#include "mimetest.h"

#include "mail/headers/header_fields.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

const QByteArray head = crlf(
    {"From: Ann <ann@example.org>", "To: Bob <bob@example.org>", "Subject: Hi", "Mime-Version: 1.0"});

QByteArray data(const TmsCustomMessage& m, qsizetype i)
{
    return m.Attachments().Items(i).Data().Bytes();
}

QByteArray name(const TmsCustomMessage& m, qsizetype i)
{
    return m.Attachments().Items(i).FileName();
}

void checkParseFailure(const TmsMessage& m, const QByteArray& text, const QByteArray& reason)
{
    const TStringList& body = m.Body();
    QVERIFY(body.size() >= 3);
    QCOMPARE(body.mid(body.size() - 3),
             TStringList({"The following error has been occured while processing the message:", reason,
                          "The original message will be stored as an attachment"}));
    const TmsAttItem& last = m.Attachments().Items(m.Attachments().Count() - 1);
    QCOMPARE(last.FileName(), QByteArray("original.eml"));
    QCOMPARE(last.ContentType(), QByteArray("message/rfc822"));
    QCOMPARE(last.Data().Bytes(), text);
}

// Each layout the encoder writes, with data that ends with and without a
// line break, lines that look like delimiters, dots and blank lines.
std::vector<std::function<void(TmsMessage&)>> layouts()
{
    const QByteArray binary("\0\x01\xFF\r\n\x80 ", 7);
    return {
        [](TmsMessage& m) {
            m.SetBody({"a", ".", "", "b", ""});
        },
        [](TmsMessage& m) {
            m.SetBody({QByteArray(300, 'x') + " end", "", "--12345678"});
        },
        [](TmsMessage& m) {
            m.SetBody({"naïve", "café ="});
        },
        [](TmsMessage& m) {
            m.SetCharSet(csISO8859), m.SetBody({"plain", ""});
        },
        [binary](TmsMessage& m) {
            m.SetBody({"see", ""});
            attach(m, "a.bin", binary, aeBase64);
            attach(m, "b.txt", "one\r\ntwo\r\n", ae7Bit, "text/plain");
            attach(m, "c.txt", "no end", aeQuotedPrintable, "text/plain");
            attach(m, "d.txt", "x =\r\n.\r\n\r\n", aeQuotedPrintable, "text/plain");
            attach(m, "e.bin", QByteArray(57 * 3, 'e'), aeBase64);
            attach(m, "f.txt", "", ae7Bit, "text/plain");
        },
        [](TmsMessage& m) {
            m.SetBody({"Hi", "."});
            attach(m, "_alt.0", "<b>Hi</b>\r\n", aeQuotedPrintable, "text/html");
            attach(m, "_alt.1", "{\\rtf1 Hi}", aeQuotedPrintable, "text/rtf");
        },
        [binary](TmsMessage& m) {
            m.SetBody({"Hi"});
            attach(m, "_alt.0", "<b>Hi</b>", aeQuotedPrintable, "text/html");
            attach(m, "z.bin", binary, aeBase64);
            attach(m, "y.txt", "text\r\n", ae7Bit, "text/plain");
        },
        [binary](TmsMessage& m) { attach(m, "only.bin", binary, aeBase64); },
        [](TmsMessage& m) { attach(m, "only.txt", "a\r\n\r\n", aeQuotedPrintable, "text/plain"); },
        [](TmsMessage& m) { attach(m, "only.txt", "one\r\n\r\ntwo\r\n", ae7Bit, "text/plain"); },
        [](TmsMessage& m) { attach(m, "x.txt", "a", ae7Bit, "text/plain"), attach(m, "y.txt", "b\r\n", ae7Bit); },
        [binary](TmsMessage& m) {
            m.SetEncoding(meUU);
            m.SetBody({"text", ""});
            attach(m, "u.bin", binary + QByteArray(100, 'u'), aeBase64);
            attach(m, "v.bin", "", aeBase64);
        },
    };
}

void compareContent(const TmsMessage& a, const TmsMessage& b)
{
    QCOMPARE(b.Body(), a.Body());
    QCOMPARE(b.Attachments().Count(), a.Attachments().Count());
    for (qsizetype i = 0; i < a.Attachments().Count(); ++i) {
        QCOMPARE(data(b, i), data(a, i));
        QCOMPARE(b.Attachments().Items(i).Encoding(), a.Attachments().Items(i).Encoding());
    }
}

} // namespace

class TestDecoder : public QObject {
    Q_OBJECT
private slots:
    void mimeVersionWithCommentIsMime()
    {
        const QByteArray text = crlf({"From: a@example.org", "MIME-Version: 1.0 (produced by a mailer)",
                                      "Content-Type: text/plain; charset=utf-8",
                                      "Content-Transfer-Encoding: quoted-printable", "", "caf=C3=A9"});
        QCOMPARE(decoded(text)->Body(), TStringList({"café"}));
        QCOMPARE(decoded(text)->CharSet(), csUTF8);
        QByteArray other = text;
        QCOMPARE(decoded(other.replace("1.0 (produced by a mailer)", "2.0"))->Body(), TStringList({"caf=C3=A9"}));
    }

    void headerBlockWithoutEnd()
    {
        const auto m = decoded(crlf({"From: Ann <ann@example.org>", "Subject: only headers"}));
        QCOMPARE(m->Subject(), QByteArray("only headers"));
        QCOMPARE(m->Headers().size(), 2);
        QVERIFY(m->Body().isEmpty());
    }

    void uuencodedFiles()
    {
        const auto m = decoded(crlf({"From: a@example.org", "", "Hello", "", "begin 644 one.txt", "#86)C", "`", "end",
                                     "between", "begin 600 \"two words.bin\"", "!80``", "`", "end", "after"}));
        QCOMPARE(m->Body(), TStringList({"Hello", "between", "after"}));
        QCOMPARE(m->Encoding(), meUU);
        QCOMPARE(m->Attachments().Count(), 2);
        QCOMPARE(name(*m, 0), QByteArray("one.txt"));
        QCOMPARE(data(*m, 0), QByteArray("abc"));
        QCOMPARE(name(*m, 1), QByteArray("two words.bin"));
        QCOMPARE(data(*m, 1), QByteArray("a"));
    }

    void textWithBeginLineIsReadAgainAsPlain()
    {
        const auto m = decoded(
            head + crlf({"Content-Type: text/plain", "", "see file", "begin 644 f.txt", "#86)C", "`", "end"}));
        QCOMPARE(m->Recipients().Count(), 1);
        QCOMPARE(m->Body(), TStringList({"see file"}));
        QCOMPARE(data(*m, 0), QByteArray("abc"));
    }

    void alternativePartsAreNamedAlt()
    {
        const auto m = decoded(head
                               + crlf({"Content-Type: multipart/alternative; boundary=\"XY\"", "", "--XY",
                                       "Content-Type: text/plain", "", "plain", "--XY", "Content-Type: text/html", "",
                                       "<p>html</p>", "--XY", "Content-Type: text/enriched", "", "rich", "--XY--"}));
        QCOMPARE(m->Body(), TStringList({"plain"}));
        QCOMPARE(name(*m, 0), QByteArray("_alt.0"));
        QCOMPARE(data(*m, 0), QByteArray("<p>html</p>"));
        QCOMPARE(name(*m, 1), QByteArray("_alt.1"));
        QCOMPARE(m->ContentType(), QByteArray("multipart/alternative"));
    }

    void mixedWithNestedAlternative()
    {
        const auto m = decoded(head
                               + crlf({"Content-Type: multipart/mixed; boundary=OUT",
                                       "",
                                       "preamble",
                                       "--OUT",
                                       "Content-Type: multipart/alternative; boundary=IN",
                                       "",
                                       "--IN",
                                       "Content-Type: text/plain",
                                       "",
                                       "text",
                                       "--IN",
                                       "Content-Type: text/html",
                                       "",
                                       "<p>text</p>",
                                       "--IN--",
                                       "",
                                       "--OUT",
                                       "Content-Type: application/pdf; name=\"r.pdf\"",
                                       "Content-Transfer-Encoding: base64",
                                       "",
                                       "YWJj",
                                       "--OUT",
                                       "Content-Type: application/octet-stream",
                                       "",
                                       "raw",
                                       "--OUT--"}));
        QCOMPARE(m->Body(), TStringList({"text"}));
        QCOMPARE(m->Attachments().Count(), 3);
        QCOMPARE(name(*m, 0), QByteArray("_alt.0"));
        QCOMPARE(name(*m, 1), QByteArray("r.pdf"));
        QCOMPARE(data(*m, 1), QByteArray("abc"));
        QCOMPARE(m->Attachments().Items(1).Encoding(), aeBase64);
        QCOMPARE(name(*m, 2), QByteArray("att.2"));
        QCOMPARE(data(*m, 2), QByteArray("raw"));
    }

    void nestedAlternativeOfTextAloneKeepsOuterParts()
    {
        const auto m = decoded(
            head
            + crlf({"Content-Type: multipart/mixed; boundary=OUT", "", "--OUT",
                    "Content-Type: multipart/alternative; boundary=IN", "", "--IN", "", "text", "--IN--", "--OUT",
                    "Content-Type: text/plain; name=a.txt", "", "A", "--OUT--", "epilogue"}));
        QCOMPARE(m->Body(), TStringList({"text"}));
        QCOMPARE(m->Attachments().Count(), 1);
        QCOMPARE(data(*m, 0), QByteArray("A"));
    }

    void firstPartBase64OrNamedIsAnAttachment()
    {
        for (const char* first :
             {"Content-Transfer-Encoding: base64", "Content-Disposition: attachment; filename=x.txt"}) {
            const auto m = decoded(head
                                   + crlf({"Content-Type: multipart/mixed; boundary=B", "", "--B", first, "", "YWJj",
                                           "--B", "Content-Type: text/plain", "", "second", "--B--"}));
            QCOMPARE(m->Body(), TStringList({"second"}));
            QCOMPARE(m->Attachments().Count(), 1);
        }
    }

    void multipartOfOnePartTakesItsType()
    {
        const auto m = decoded(head
                               + crlf({"Content-Type: multipart/mixed; boundary=B", "", "--B",
                                       "Content-Type: text/plain; charset=us-ascii", "", "only", "--B--"}));
        QCOMPARE(m->Body(), TStringList({"only"}));
        QCOMPARE(m->ContentType(), QByteArray("text/plain; charset=us-ascii"));
        QVERIFY(encoded(*m).endsWith("\r\n\r\nonly\r\n")); // written again as a plain message
    }

    // Parts that came without a name keep their declared type when written
    // again, and the content fields of the message are written once.
    void encodedAgainKeepsTypesAndContentFields()
    {
        const auto unnamed = decoded(head
                                     + crlf({"Content-Type: multipart/mixed; boundary=B", "", "--B", "", "body", "--B",
                                             "Content-Type: application/octet-stream", "", "raw", "--B",
                                             "Content-Type: application/octet-stream", "", "more", "--B--"}));
        QCOMPARE(name(*unnamed, 1), QByteArray("att.1"));
        const auto once = decoded(encoded(*unnamed));
        const auto twice = decoded(encoded(*once));
        for (const TmsMessage* m : {once.get(), twice.get()}) {
            QCOMPARE(name(*m, 1), QByteArray("att.1"));
            QCOMPARE(m->Attachments().Items(1).ContentType(), QByteArray("application/octet-stream"));
            QCOMPARE(data(*m, 1), QByteArray("more"));
        }
        const auto single = decoded(head
                                    + crlf({"Content-Type: application/pdf", "Content-ID: <part1@example.org>",
                                            "Content-Disposition: attachment; filename=\"r.pdf\"",
                                            "Content-Transfer-Encoding: base64", "", "YWJj"}));
        const QByteArray again = encoded(*decoded(encoded(*single)));
        QCOMPARE(again.count("Content-Disposition:"), 1);
        QVERIFY(again.count("Content-ID:") <= 1);
        QCOMPARE(data(*decoded(again), 0), QByteArray("abc"));
    }

    void parseFailuresKeepTheOriginal()
    {
        const QByteArray noBoundary = head + crlf({"Content-Type: multipart/mixed; boundary=B", "", "text"});
        checkParseFailure(*decoded(noBoundary), noBoundary, "Cannot find boundary");
        const QByteArray badBase64 = head
                                   + crlf({"Content-Type: application/pdf; name=a.pdf",
                                           "Content-Transfer-Encoding: base64", "", "YWJjY"});
        checkParseFailure(*decoded(badBase64), badBase64, "Error decoding the attachment");
        const QByteArray openNested = head
                                    + crlf({"Content-Type: multipart/mixed; boundary=O", "", "--O",
                                            "Content-Type: multipart/alternative; boundary=I", "", "--I", "", "t",
                                            "--I", "", "u", "--I--"});
        checkParseFailure(*decoded(openNested), openNested, "Cannot find closing boundary");
        QCOMPARE(decoded(openNested)->Body().first(), QByteArray("t"));
    }

    void singlePartAttachmentNamedByDisposition()
    {
        const auto m = decoded(
            head
            + crlf({"Content-Type: application/pdf", "Content-Disposition: attachment; filename=\"My report.pdf\"",
                    "Content-Transfer-Encoding: base64", "", "YWJj", "", "ZGVm"}));
        QCOMPARE(name(*m, 0), QByteArray("My report.pdf"));
        QCOMPARE(m->Attachments().Items(0).ContentType(), QByteArray("application/pdf"));
        QCOMPARE(data(*m, 0), QByteArray("abcdef"));
    }

    void longLinesAreNeverCut()
    {
        const QByteArray line(300, 'l');
        const QByteArray b64 = QByteArray(600, 'a').toBase64();
        const auto m = decoded(head
                               + crlf({"Content-Type: multipart/mixed; boundary=B", "", "--B", "", "body", "--B",
                                       "Content-Type: text/plain; name=l.txt", "", line.constData(), "--B",
                                       "Content-Type: application/x-y; name=b.bin", "Content-Transfer-Encoding: base64",
                                       "", b64.constData(), "--B--"}));
        QCOMPARE(data(*m, 0), line);
        QCOMPARE(data(*m, 1), QByteArray(600, 'a'));
    }

    void foreignNamesAndCharsets()
    {
        const auto m = decoded(head
                               + crlf({"Content-Type: multipart/mixed; boundary=B",
                                       "",
                                       "--B",
                                       "Content-Type: text/plain; charset=iso-8859-1",
                                       "Content-Transfer-Encoding: quoted-printable",
                                       "",
                                       "Gr=FC=DFe",
                                       "--B",
                                       "Content-Type: application/pdf;",
                                       " name*0*=utf-8''%E6%97%A5;",
                                       " name*1*=%E6%9C%AC.pdf",
                                       "",
                                       "x",
                                       "--B",
                                       "Content-Type: text/plain; name=\"=?utf-8?Q?caf=C3=A9?=.txt\"",
                                       "",
                                       "y",
                                       "--B",
                                       "Content-Type: text/plain",
                                       "Content-Disposition: attachment; filename*=iso-8859-1'de'%E4.txt",
                                       "",
                                       "z",
                                       "--B--"}));
        QCOMPARE(m->Body(), TStringList({"Grüße"}));
        QCOMPARE(m->CharSet(), csUTF8);
        QCOMPARE(name(*m, 0), QByteArray("日本.pdf"));
        QCOMPARE(name(*m, 1), QByteArray("café.txt"));
        QCOMPARE(name(*m, 2), QByteArray("ä.txt"));
    }

    // UTF-8 quoted-printable text goes straight into lines: decoded line
    // breaks split them, soft breaks join them, a bad line alone is repaired.
    void quotedPrintableUtf8TextLines_data()
    {
        QTest::addColumn<QByteArray>("charset");
        QTest::addColumn<QByteArray>("badLine");
        QTest::newRow("utf-8") << QByteArray("; charset=utf-8") << QByteArray("Gr\uFFFD\uFFFDe");
        QTest::newRow("none") << QByteArray() << QByteArray("Grüße");
        QTest::newRow("iso-8859-1, whole text") << QByteArray("; charset=iso-8859-1") << QByteArray("Grüße");
    }

    void quotedPrintableUtf8TextLines()
    {
        QFETCH(QByteArray, charset);
        QFETCH(QByteArray, badLine);
        const auto m = decoded(
            head
            + crlf({"Content-Type: text/plain" + charset, "Content-Transfer-Encoding: quoted-printable", "",
                    "one=0D=0Atwo=0D", "", "soft=", " joined=0A", "=0Alast"}));
        QCOMPARE(m->Body(), TStringList({"one", "two", "", "", "soft joined", "", "", "last"}));

        const auto bad = decoded(head
                                 + crlf({"Content-Type: text/plain" + charset,
                                         "Content-Transfer-Encoding: quoted-printable", "", "caf=C3=A9", "Gr=FC=DFe"}));
        QCOMPARE(bad->Body().at(1), badLine);
        QCOMPARE(bad->CharSet(), csUTF8);
    }

    void otherShapesLoseNoText()
    {
        const QByteArray inner = crlf(
            {"Content-Type: multipart/related; boundary=R", "", "--R", "Content-Type: text/html", "", "<img src=cid:1>",
             "--R", "Content-Type: image/png", "Content-Transfer-Encoding: base64", "", "iVBO", "--R--"});
        const auto m = decoded(head
                               + crlf({"Content-Type: multipart/mixed; boundary=B", "", "--B", "", "body", "--B",
                                       "Content-Type: message/rfc822", ""})
                               + crlf({"Subject: inner", "", "inner body", "--B"}) + inner + "--B\r\n\r\nlast part");
        QCOMPARE(m->Body(), TStringList({"body"}));
        QCOMPARE(name(*m, 0), QByteArray("inner.eml"));
        QCOMPARE(data(*m, 0), QByteArray("Subject: inner\r\n\r\ninner body"));
        QCOMPARE(data(*m, 1), QByteArray("<img src=cid:1>"));
        QCOMPARE(data(*m, 2), QByteArray::fromBase64("iVBO"));
        QCOMPARE(data(*m, 3), QByteArray("last part"));
    }

    void roundTripsOfEveryLayout()
    {
        const auto builders = layouts();
        for (size_t i = 0; i < builders.size(); ++i) {
            TmsMessage original;
            original.Sender().SetAddress("ann@example.org");
            address(original.Recipients(), "Bob", "bob@example.org");
            original.SetSubject("Round " + QByteArray::number(qulonglong(i)));
            builders[i](original);
            const QByteArray text = encoded(original);
            const auto once = decoded(text);
            QVERIFY2(once->Attachments().Count() == 0 || name(*once, 0) != "original.eml", text.constData());
            compareContent(original, *once);
            QCOMPARE(once->Subject(), original.Subject());
            compareContent(original, *decoded(encoded(*once)));
        }
    }

    // Raw 8-bit text in a header is read as 8-bit body text is: kept where
    // it is UTF-8, else windows-1252; a save writes the same characters.
    void rawEightBitHeadersReadAsTheBody()
    {
        const QByteArray text = crlf({"From: Ren\xE9 <rene@example.org>", "To: bob@example.org",
                                      "Subject: caf\xE9 \x80 =?utf-8?Q?cr=C3=A8me?=", "X-Note: na\xEFve",
                                      "X-Kept: Gr\xC3\xBC\xC3\x9F"
                                      "e",
                                      "", "caf\xE9 \x80"});
        for (const auto& m : {decoded(text), decoded(encoded(*decoded(text)))}) {
            QCOMPARE(m->Body(), TStringList({"café €"}));
            QCOMPARE(m->Subject(), QByteArray("café € crème"));
            QCOMPARE(m->Sender().Name(), QByteArray("René"));
            QCOMPARE(GetHeaderField(m->Headers(), "X-Note"), QByteArray("naïve"));
            QCOMPARE(GetHeaderField(m->Headers(), "X-Kept"), QByteArray("Grüße"));
        }
    }

    // Bodies in a set nobody knows stay as they are only if they are well-formed UTF-8.
    void unknownCharsetKeepsOnlyWellFormedUtf8_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("four bytes") << QByteArray("a\xF0\x9F\x98\x80 \xE2\x82\xAC") << QStringLiteral("a😀 €");
        QTest::newRow("overlong") << QByteArray("\xC0\xAF") << QStringLiteral("À¯");
        QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80") << QStringLiteral("í\u00A0€");
        QTest::newRow("above U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << QStringLiteral("ô\u0090€€");
        QTest::newRow("cut short") << QByteArray("abcdefgh\xE2\x82") << QStringLiteral("abcdefghâ‚");
    }

    void unknownCharsetKeepsOnlyWellFormedUtf8()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        const auto m = decoded(
            head + crlf({"Content-Type: text/plain; charset=x-unknown", "Content-Transfer-Encoding: 8bit", ""})
            + bytes);
        QCOMPARE(QString::fromUtf8(m->Body().Text()), text + QStringLiteral("\r\n"));
    }

    void filesAndArticles()
    {
        QTemporaryDir dir;
        TmsArticle article;
        article.Sender().SetAddress("jd@example.org");
        article.SetNewsGroups("comp.test");
        article.SetSubject("S");
        article.SetBody({"x"});
        const QString path = dir.filePath(QStringLiteral("a.eml"));
        article.SaveToFile(path);
        TmsArticle back;
        back.LoadFromFile(path);
        QCOMPARE(back.NewsGroups(), QByteArray("comp.test"));
        QCOMPARE(back.Body(), TStringList({"x"}));
    }
};

QTEST_GUILESS_MAIN(TestDecoder)
#include "tst_mime_decoder.moc"
