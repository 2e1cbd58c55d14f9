// The encoder's layouts byte for byte, and the header rules that keep
// message text 7-bit and free of injected fields.
#include "mimetest.h"

#include "mail/headers/header_fields.h"

#include <QTest>

namespace {

void fill(TmsMessage& m, const QByteArray& senderName = "Ann")
{
    m.Sender().SetName(senderName);
    m.Sender().SetAddress("ann@example.org");
    address(m.Recipients(), "Bob", "bob@example.org");
    m.SetSubject("Hi");
}

QByteArray headerBlock(const QByteArray& text)
{
    return text.left(text.indexOf("\r\n\r\n") + 2);
}

} // namespace

class TestEncoder : public QObject {
    Q_OBJECT
private slots:
    void workedExample()
    {
        TmsMessage m;
        m.Sender().SetName("J. Smith");
        m.Sender().SetAddress("js@example.org");
        address(m.Recipients(), "Ann Lee", "ann@example.org");
        address(m.Recipients(), "Bob Ray", "bob@example.org");
        m.SetSubject("Report");
        m.SetBody({"Hello Ann,", "see attached."});
        attach(m, "/home/js/data.bin", "abc", aeBase64);
        QCOMPARE(named(encoded(m)), crlf({"From:     \"J. Smith\" <js@example.org>",
                                          "To:       Ann Lee <ann@example.org>,",
                                          "          Bob Ray <bob@example.org>",
                                          "Subject:  Report",
                                          "Mime-Version: 1.0",
                                          "Content-Type: multipart/mixed; boundary=\"B1\"",
                                          "",
                                          "This is a multipart message in MIME format",
                                          "",
                                          "--B1",
                                          "Content-Type: text/plain; charset=\"us-ascii\"",
                                          "Content-Transfer-Encoding: 7bit",
                                          "",
                                          "Hello Ann,",
                                          "see attached.",
                                          "",
                                          "--B1",
                                          "Content-Type: application/octet-stream; name=\"data.bin\"",
                                          "Content-Transfer-Encoding: Base64",
                                          "Content-Disposition: attachment; filename=\"data.bin\"",
                                          "",
                                          "YWJj",
                                          "",
                                          "--B1--"}));
    }

    void plainMessageHeaders()
    {
        TmsMessage m;
        fill(m);
        address(m.BCC(), "Hidden", "hidden@example.org");
        m.SetPriority(ptLow);
        m.SetHeaders({"Subject: old", " continued", "X-Mailer: pv", "subject: second"});
        m.SetBody({"a", ".", "b"});
        QCOMPARE(encoded(m), crlf({"From:     Ann <ann@example.org>", "To:       Bob <bob@example.org>",
                                   "X-Priority: 5", "X-Mailer: pv", "Subject:  Hi", "Mime-Version: 1.0",
                                   "Content-Type: text/plain; charset=\"us-ascii\"", "Content-Transfer-Encoding: 7bit",
                                   "", "a", ".", "b"}));
        QCOMPARE(m.Body(), TStringList({"a", ".", "b"})); // the message is not changed
        m.SetPriority(ptHigh);
        m.SetReturnReceipt(true);
        QVERIFY(encoded(m).contains("\r\nReturn-Receipt-To: <ann@example.org>\r\nX-Priority: 1\r\n"));
    }

    void senderNameQuoting()
    {
        const std::pair<QByteArray, QByteArray> cases[] = {{"J. Smith", "\"J. Smith\""},
                                                           {"Ann", "Ann"},
                                                           {"Say \"Hi\" Inc.", "\"Say \\\"Hi\\\" Inc.\""},
                                                           {"Lee, Ann", "\"Lee, Ann\""}};
        for (const auto& [name, written] : cases) {
            TmsMessage m;
            fill(m, name);
            QVERIFY2(encoded(m).startsWith("From:     " + written + " <ann@example.org>\r\n"), name);
        }
    }

    void longLinesSwitchToQuotedPrintable()
    {
        TmsMessage m;
        fill(m);
        m.SetBody({QByteArray(255, 'x')});
        QVERIFY(encoded(m).contains("Content-Transfer-Encoding: 7bit\r\n\r\n" + QByteArray(255, 'x') + "\r\n"));
        m.SetBody({QByteArray(256, 'x')});
        QVERIFY(encoded(m).contains("charset=\"us-ascii\"\r\nContent-Transfer-Encoding: quoted-printable\r\n"));
        m.SetCharSet(csISO8859);
        m.SetBody({"short"});
        QVERIFY(encoded(m).contains("charset=\"iso-8859-1\"\r\nContent-Transfer-Encoding: quoted-printable\r\n"));
    }

    void eightBitTextIsUtf8AndHeadersStaySevenBit()
    {
        TmsMessage m;
        fill(m, "Zoë");
        address(m.CC(), "Ünal Öz", "u@example.org");
        m.SetSubject("Café\r\nBcc: evil@example.org");
        m.SetBody({"naïve"});
        const QByteArray text = encoded(m);
        QCOMPARE(headerBlock(text),
                 crlf({"From:     =?utf-8?Q?Zo=C3=AB?= <ann@example.org>", "To:       Bob <bob@example.org>",
                       "CC:       =?utf-8?Q?=C3=9Cnal_=C3=96z?= <u@example.org>",
                       "Subject:  =?utf-8?Q?Caf=C3=A9__Bcc=3A_evil=40example=2Eorg?=", "Mime-Version: 1.0",
                       "Content-Type: text/plain; charset=\"utf-8\"", "Content-Transfer-Encoding: quoted-printable"}));
        QVERIFY(text.endsWith("\r\n\r\nna=C3=AFve\r\n"));
        for (char c : text)
            QVERIFY(uchar(c) < 128);
    }

    // Raw 8-bit text in other fields becomes encoded words; in a list of
    // addresses only the names do, so the addresses stay readable.
    void rawEightBitFieldsKeepTheirAddresses()
    {
        TmsMessage m;
        fill(m);
        m.SetHeaders({"Reply-To: Zo\xC3\xAB \xC3\x85gren <zoe@example.org>,", " \"Lee, Ann\" <ann@example.org>",
                      "X-Note: caf\xC3\xA9", " au lait"});
        const QByteArray text = encoded(m);
        QVERIFY(
            text.contains("\r\nReply-To: =?utf-8?Q?Zo=C3=AB_=C3=85gren?= <zoe@example.org>, \"Lee, Ann\" "
                          "<ann@example.org>\r\n"));
        QVERIFY(text.contains("\r\nX-Note: =?utf-8?Q?caf=C3=A9_au_lait?=\r\n"));
        TmsAddressList replyTo;
        GetHeaderAddresses(decoded(text)->Headers(), "Reply-To", replyTo);
        QCOMPARE(replyTo.Count(), 2);
        QCOMPARE(replyTo.Items(0).Address(), QByteArray("zoe@example.org"));
        QCOMPARE(replyTo.Items(0).Name(), QByteArray("Zo\xC3\xAB \xC3\x85gren"));
        QCOMPARE(replyTo.Items(1).Name(), QByteArray("Lee, Ann"));
    }

    void noHeaderValueEndsItsField()
    {
        TmsMessage m;
        fill(m, "Ann\r\nBcc: x@example.org");
        m.SetSubject("Hi\nX-Injected: 1");
        m.SetHeaders({"X-Note: a\r\nX-Injected: 2", ""});
        m.Recipients().Items(0).SetAddress("bob@example.org>\r\nX-Injected: 3");
        const auto back = decoded(encoded(m));
        for (const QByteArray& line : back->Headers()) {
            QVERIFY2(!line.startsWith("X-Injected") && !line.startsWith("Bcc"), line);
        }
        QCOMPARE(back->Subject(), QByteArray("Hi X-Injected: 1"));
        QCOMPARE(back->Body(), TStringList());
    }

    // Fields longer than a line may be (998 characters) are folded at a blank
    // where there is one, so unfolding gives the field back.
    void longFieldsAreFolded()
    {
        TmsMessage m;
        fill(m);
        const QByteArray words = "X-Words: " + QByteArray("word ").repeated(300).trimmed();
        m.Headers().append(words);
        m.Headers().append("X-Blankless: " + QByteArray(2000, 'a'));
        m.SetBody({"Hi"});
        QByteArray block = headerBlock(encoded(m));
        for (const QByteArray& line : block.split('\n'))
            QVERIFY2(line.size() <= 998 + 1, line.left(40));
        QVERIFY(block.replace("\r\n ", " ").contains(words));
    }

    void longEncodedSubjectIsFoldedIntoShortWords()
    {
        TmsMessage m;
        fill(m);
        m.SetSubject(QString(120, QChar(0x00E9)).toUtf8());
        QByteArray block = headerBlock(encoded(m));
        for (const QByteArray& line : block.split('\n'))
            QVERIFY2(line.size() <= 78, line);
        QCOMPARE(decoded(encoded(m))->Subject(), m.Subject());
    }

    void singlePartAttachments()
    {
        TmsMessage m;
        fill(m);
        attach(m, "report.pdf", QByteArray(57, 'a'), aeBase64, "application/pdf");
        QVERIFY(encoded(m).endsWith(
            crlf({"Mime-Version: 1.0", "Content-Type: application/pdf; name=\"report.pdf\"",
                  "Content-Transfer-Encoding: Base64", "Content-Disposition: attachment; filename=\"report.pdf\"", "",
                  QByteArray("YWFh").repeated(19).constData(), ""})));
        m.Attachments().Items(0).Data() = TMemoryStream();
        QVERIFY(encoded(m).endsWith("filename=\"report.pdf\"\r\n\r\n\r\n"));
        m.Attachments().Clear();
        // The text's last line break is the data's; data without one ends in a soft break.
        attach(m, "notes.txt", "one\r\ntwo\r\n", ae7Bit, "text/plain");
        QVERIFY(
            encoded(m).endsWith(crlf({"Content-Type: text/plain; name=\"notes.txt\"", "Content-Transfer-Encoding: 7bit",
                                      "Content-Disposition: attachment; filename=\"notes.txt\"", "", "one", "two"})));
        m.Attachments().Items(0).SetData("one\r\ntwo");
        QVERIFY(
            encoded(m).endsWith(crlf({"Content-Transfer-Encoding: Quoted-Printable",
                                      "Content-Disposition: attachment; filename=\"notes.txt\"", "", "one", "two="})));
    }

    // 7-bit parts whose data is not: 8-bit text is labelled so, a NUL or a
    // line too long for mail is encoded, text readably.
    void eightBitDataIsLabelledOrEncoded()
    {
        const QByteArray nul("a\0b\r\n", 5);
        const QByteArray longLine = QByteArray(999, 'x') + "\r\n";
        const std::tuple<QByteArray, QByteArray, QByteArray> cases[] = {
            {"caf\xC3\xA9\r\n", "text/plain", "8bit"},    {"\xFF\x01\r\n", "application/octet-stream", "8bit"},
            {nul, "text/plain", "Quoted-Printable"},      {nul, "application/octet-stream", "Base64"},
            {longLine, "text/plain", "Quoted-Printable"}, {longLine, "application/octet-stream", "Base64"}};
        for (const auto& [bytes, type, coding] : cases) {
            for (const bool withBody : {true, false}) {
                TmsMessage m;
                fill(m);
                if (withBody)
                    m.SetBody({"see"});
                attach(m, "a.dat", bytes, ae7Bit, type);
                const QByteArray text = encoded(m);
                QVERIFY2(text.contains("\r\nContent-Transfer-Encoding: " + coding + "\r\n"), type + ' ' + coding);
                QVERIFY(!text.contains('\0'));
                QCOMPARE(decoded(text)->Attachments().Items(0).Data().Bytes(), bytes);
            }
        }
        TmsMessage m;
        fill(m);
        m.SetBody({nul.chopped(2)});
        QVERIFY(encoded(m).endsWith("Content-Transfer-Encoding: quoted-printable\r\n\r\na=00b\r\n"));
    }

    void htmlBodyFileAlone()
    {
        TmsMessage m;
        fill(m);
        attach(m, "_htmbody.htm", "<p>Hi</p>", aeQuotedPrintable, "text/html");
        QVERIFY(encoded(m).endsWith(crlf({"Mime-Version: 1.0", "Content-Type: text/html",
                                          "Content-Transfer-Encoding: Quoted-Printable", "", "<p>Hi</p>="})));
    }

    void nonAsciiFileNamesUseExtendedParameters()
    {
        TmsMessage m;
        fill(m);
        m.SetBody({"x"});
        attach(m, "résumé.pdf", "x", aeBase64);
        attach(m, QString(40, QChar(0x65E5)).toUtf8() + ".txt", "y", aeBase64);
        const QByteArray text = encoded(m);
        QVERIFY(text.contains("; name*=utf-8''r%C3%A9sum%C3%A9.pdf\r\n"));
        QVERIFY(text.contains("Content-Disposition: attachment; filename*=utf-8''r%C3%A9sum%C3%A9.pdf\r\n"));
        QVERIFY(text.contains("; name*0*=utf-8''%E6%97%A5"));
        QVERIFY(text.contains(";\r\n name*1*=%"));
        const auto back = decoded(text);
        QCOMPARE(back->Attachments().Items(0).FileName(), QByteArray("résumé.pdf"));
        QCOMPARE(back->Attachments().Items(1).FileName(), m.Attachments().Items(1).FileName());
    }

    void alternativeLayout()
    {
        TmsMessage m;
        fill(m);
        m.SetBody({"Hi"});
        attach(m, "_alt.0", "<b>Hi</b>\r\n", aeQuotedPrintable, "text/html");
        QVERIFY(named(encoded(m))
                    .endsWith(crlf({"Mime-Version: 1.0", "Content-Type: multipart/alternative; boundary=\"B1\"", "",
                                    "This is a multipart message in MIME format", "", "--B1",
                                    "Content-Type: text/plain; charset=\"us-ascii\"", "Content-Transfer-Encoding: 7bit",
                                    "", "Hi", "", "--B1", "Content-Type: text/html",
                                    "Content-Transfer-Encoding: Quoted-Printable", "", "<b>Hi</b>", "", "--B1--"})));
    }

    // A multipart type kept from a loaded message whose attachments were
    // removed: the body alone still ends with the closing delimiter.
    void multipartWithoutAttachmentsIsClosed()
    {
        for (const QByteArray& type : {QByteArray("multipart/mixed"), QByteArray("multipart/alternative")}) {
            TmsMessage m;
            fill(m);
            m.SetContentType(type);
            m.SetBody({"Hi"});
            const QByteArray text = encoded(m);
            QVERIFY2(named(text).endsWith(crlf({"--B1", "Content-Type: text/plain; charset=\"us-ascii\"",
                                                "Content-Transfer-Encoding: 7bit", "", "Hi", "", "--B1--"})),
                     type);
            QCOMPARE(decoded(text)->Body(), TStringList({"Hi"}));
        }
    }

    void mixedWithLeadingAlternatives()
    {
        TmsMessage m;
        fill(m);
        m.SetBody({"Hi"});
        attach(m, "_alt.0", "<b>Hi</b>", aeQuotedPrintable, "text/html");
        attach(m, "a.bin", "abc", aeBase64);
        attach(m, "_alt.1", "x", aeQuotedPrintable, "text/html");
        QVERIFY(named(encoded(m))
                    .endsWith(crlf({"Mime-Version: 1.0",
                                    "Content-Type: multipart/mixed; boundary=\"B1\"",
                                    "",
                                    "This is a multipart message in MIME format",
                                    "",
                                    "--B1",
                                    "Content-Type:  multipart/alternative; boundary=\"B2\"",
                                    "Content-Transfer-Encoding: 7bit",
                                    "",
                                    "--B2",
                                    "Content-Type: text/plain; charset=\"us-ascii\"",
                                    "Content-Transfer-Encoding: 7bit",
                                    "",
                                    "Hi",
                                    "",
                                    "--B2",
                                    "Content-Type: text/html",
                                    "Content-Transfer-Encoding: Quoted-Printable",
                                    "",
                                    "<b>Hi</b>",
                                    "--B2--",
                                    "",
                                    "--B1",
                                    "Content-Type: application/octet-stream; name=\"a.bin\"",
                                    "Content-Transfer-Encoding: Base64",
                                    "Content-Disposition: attachment; filename=\"a.bin\"",
                                    "",
                                    "YWJj",
                                    "",
                                    "",
                                    "--B1",
                                    "Content-Type: text/html; name=\"_alt.1\"",
                                    "Content-Transfer-Encoding: Quoted-Printable",
                                    "Content-Disposition: attachment; filename=\"_alt.1\"",
                                    "",
                                    "x",
                                    "--B1--"})));
    }

    void uuencodeForm()
    {
        TmsMessage m;
        fill(m);
        m.SetEncoding(meUU);
        m.SetBody({"Hi", "."});
        attach(m, "a.txt", "abc", aeBase64);
        attach(m, "empty", "", aeBase64);
        QCOMPARE(encoded(m),
                 crlf({"From:     Ann <ann@example.org>", "To:       Bob <bob@example.org>", "Subject:  Hi", "", "Hi",
                       ".", "", "begin 600 a.txt", "#86)C", "`", "end", "", "begin 600 empty", "`", "`", "end"}));
    }

    void newsArticle()
    {
        TmsArticle a;
        a.Sender().SetName("J. Doe");
        a.Sender().SetAddress("jd@example.org");
        a.SetNewsGroups("comp.test");
        a.SetSubject("S");
        a.SetBody({"x"});
        QCOMPARE(encoded(a),
                 crlf({"From:     J. Doe <jd@example.org>", "Newsgroups: comp.test", "Subject:  S", "Mime-Version: 1.0",
                       "Content-Type: text/plain; charset=\"us-ascii\"", "Content-Transfer-Encoding: 7bit", "", "x"}));
    }

    void boundariesAreEightDigitsWithoutNine()
    {
        TmsMessage m;
        fill(m);
        m.SetBody({"x"});
        attach(m, "a.bin", "abc", aeBase64);
        static const QRegularExpression form(QStringLiteral("boundary=\"([0-9]*)\""));
        for (int i = 0; i < 40; ++i) {
            const QString boundary = form.match(QString::fromLatin1(encoded(m))).captured(1);
            QVERIFY2(boundary.size() == 8 && !boundary.contains(QLatin1Char('9')), qPrintable(boundary));
        }
    }

    void outputStartsAfreshAndKeepsWhatFailed()
    {
        TmsMessage m;
        fill(m);
        m.SetBody({"x"});
        TMemoryStream stream(QByteArray(5000, '#'));
        m.SaveToStream(stream);
        QVERIFY(!stream.Bytes().contains('#'));
        QCOMPARE(stream.Bytes(), encoded(m));
    }
};

QTEST_GUILESS_MAIN(TestEncoder)
#include "tst_mime_encoder.moc"
