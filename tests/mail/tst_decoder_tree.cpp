// Any MIME tree read whole: nesting of every kind and depth, which part is
// the body, the names and types the other parts keep, and text that follows
// header blocks without a blank line.
#include "mime/mimetest.h"

#include "mail/text/html_text.h"

#include <QFile>
#include <QTest>

namespace {

const QByteArray head = crlf({"From: Ann <ann@example.org>", "Subject: S", "MIME-Version: 1.0"});

// "name type data" for each attachment.
QList<QByteArray> attachmentsOf(const TmsMessage& m)
{
    QList<QByteArray> out;
    for (qsizetype i = 0; i < m.Attachments().Count(); ++i) {
        const TmsAttItem& item = m.Attachments().Items(i);
        out << item.FileName() + ' ' + item.ContentType() + ' ' + item.Data().Bytes();
    }
    return out;
}

QByteArray nested(int levels, const QByteArray& inner)
{
    QByteArray text = inner;
    for (int level = levels - 1; level >= 0; --level) {
        const QByteArray b = "b" + QByteArray::number(level);
        text = "Content-Type: multipart/mixed; boundary=" + b + "\r\n\r\n--" + b + "\r\n" + text + "\r\n--" + b + "--";
    }
    return head + text + "\r\n";
}

} // namespace

class TestDecoderTree : public QObject {
    Q_OBJECT
private slots:
    void treesAreWalkedWhole_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<TStringList>("body");
        QTest::addColumn<QList<QByteArray>>("attachments");
        QTest::newRow("mixed in mixed") << head
                                               + crlf({"Content-Type: multipart/mixed; boundary=O", "", "--O", "", "hi",
                                                       "--O", "Content-Type: multipart/mixed; boundary=I", "", "--I",
                                                       "Content-Type: application/pdf; name=a.pdf", "", "%PDF", "--I",
                                                       "", "n", "--I--", "--O--"})
                                        << TStringList{"hi"}
                                        << QList<QByteArray>{"a.pdf application/pdf %PDF", "att.1 text/plain n"};
        QTest::newRow("signed inside a list's mixed")
            << head
                   + crlf({"Content-Type: multipart/mixed; boundary=L",
                           "",
                           "--L",
                           "Content-Type: multipart/signed; boundary=S; protocol=\"application/pgp-signature\"",
                           "",
                           "--S",
                           "Content-Type: text/plain; charset=us-ascii",
                           "",
                           "signed",
                           "--S",
                           "Content-Type: application/pgp-signature; name=signature.asc",
                           "",
                           "SIG",
                           "--S--",
                           "",
                           "--L",
                           "Content-Type: text/plain",
                           "",
                           "footer",
                           "--L--"})
            << TStringList{"signed"}
            << QList<QByteArray>{"signature.asc application/pgp-signature SIG", "att.1 text/plain footer"};
        QTest::newRow("plain after related HTML in an alternative")
            << head
                   + crlf({"Content-Type: multipart/mixed; boundary=M",
                           "",
                           "--M",
                           "Content-Type: multipart/alternative; boundary=A",
                           "",
                           "--A",
                           "Content-Type: multipart/related; boundary=R",
                           "",
                           "--R",
                           "Content-Type: text/html; charset=utf-8",
                           "",
                           "<p>x</p>",
                           "--R",
                           "Content-Type: image/png",
                           "Content-ID: <1>",
                           "Content-Transfer-Encoding: base64",
                           "",
                           "iVBO",
                           "--R--",
                           "--A",
                           "Content-Type: text/plain",
                           "",
                           "x",
                           "--A--",
                           "--M",
                           "Content-Type: application/zip",
                           "Content-Disposition: attachment; filename=z.zip",
                           "",
                           "PK",
                           "--M--"})
            << TStringList{"x"}
            << QList<QByteArray>{"_alt.0 text/html; charset=\"utf-8\" <p>x</p>",
                                 "att.1 image/png " + QByteArray::fromBase64("iVBO"), "z.zip application/zip PK"};
        QTest::newRow("HTML alone, with an inline image")
            << head
                   + crlf({"Content-Type: multipart/related; boundary=R", "", "--R", "Content-Type: text/html", "",
                           "<p>Hi <b>there</b></p><ul><li>one</li></ul>", "--R", "Content-Type: image/gif; name=i.gif",
                           "", "GIF", "--R--"})
            << TStringList{"Hi there", "", "- one"}
            << QList<QByteArray>{"_htmbody.htm text/html <p>Hi <b>there</b></p><ul><li>one</li></ul>",
                                 "i.gif image/gif GIF"};
        QTest::newRow("digest of messages")
            << head
                   + crlf({"Content-Type: multipart/digest; boundary=D", "", "--D", "", "Subject: one/two", "", "1",
                           "--D", "", "From: x@example.org", "", "2", "--D--"})
            << TStringList{}
            << QList<QByteArray>{"one_two.eml message/rfc822 Subject: one/two\r\n\r\n1",
                                 "att.1.eml message/rfc822 From: x@example.org\r\n\r\n2"};
        QTest::newRow("encrypted: no body from the version part")
            << head
                   + crlf({"Content-Type: multipart/encrypted; boundary=E", "", "--E",
                           "Content-Type: application/pgp-encrypted", "", "Version: 1", "--E",
                           "Content-Type: application/octet-stream; name=encrypted", "", "----BEGIN", "--E--"})
            << TStringList{}
            << QList<QByteArray>{"att.0 application/pgp-encrypted Version: 1",
                                 "encrypted application/octet-stream ----BEGIN"};
        QTest::newRow("no MIME-Version, a boundary that begins another, text after the close delimiter")
            << crlf({"From: a@example.org", "Content-Type: multipart/mixed; boundary=\"B\"", "", "--B",
                     "Content-Type: multipart/alternative; boundary=\"B_alt\"", "", "--B_alt", "", "plain", "--B_alt",
                     "Content-Type: text/html", "", "<b>plain</b>", "--B_alt--", "--B-->"})
            << TStringList{"plain"} << QList<QByteArray>{"_alt.0 text/html <b>plain</b>"};
        QTest::newRow("parts without a blank line after their headers")
            << head
                   + crlf({"Content-Type: multipart/mixed; boundary*=us-ascii''XY", "", "--XY", "Content-Type: text",
                           "first line", "--XY", "Content-Type: text/plain; name=wrong.txt",
                           "Content-Disposition: attachment; filename=right.txt", "--XY--"})
            << TStringList{"first line"} << QList<QByteArray>{"right.txt text/plain "};
        QTest::newRow("message headers ended by a line that is no field")
            << crlf({"From: a@example.org", "Subject: no blank line", "this is the body", "", "more"})
            << TStringList{"this is the body", "", "more"} << QList<QByteArray>{};
    }

    void treesAreWalkedWhole()
    {
        QFETCH(QByteArray, text);
        QFETCH(TStringList, body);
        QFETCH(QList<QByteArray>, attachments);
        const auto m = decoded(text);
        QCOMPARE(m->Body(), body);
        QCOMPARE(attachmentsOf(*m), attachments);
    }

    void nestingIsBounded()
    {
        QCOMPARE(decoded(nested(64, "\r\ndeep"))->Body(), TStringList({"deep"}));
        const auto deeper = decoded(nested(100, "\r\ndeep"));
        QVERIFY(deeper->Body().isEmpty());
        QCOMPARE(deeper->Attachments().Count(), 1);
        QCOMPARE(deeper->Attachments().Items(0).ContentType(), QByteArray("multipart/mixed"));
        QVERIFY(deeper->Attachments().Items(0).Data().Bytes().contains("deep"));
    }

    // Names made up for parts without one never decide their type.
    void typesOfNamelessPartsSurviveSaving()
    {
        const auto m = decoded(
            head
            + crlf({"Content-Type: multipart/mixed; boundary=B", "", "--B", "", "see", "--B",
                    "Content-Type: message/rfc822", "", "Subject: fwd", "", "x", "--B",
                    "Content-Type: text/calendar; charset=utf-8; method=REQUEST", "", "BEGIN:VCALENDAR", "--B--"}));
        const QList<QByteArray> types{"message/rfc822", "text/calendar; charset=\"utf-8\""};
        for (const auto& again : {decoded(encoded(*m)), decoded(encoded(*decoded(encoded(*m))))}) {
            QCOMPARE(again->Attachments().Count(), 2);
            for (qsizetype i = 0; i < 2; ++i)
                QCOMPARE(again->Attachments().Items(i).ContentType(), types[i]);
        }
    }

    void htmlBecomesReadableText()
    {
        QFile file(qEnvironmentVariable("PV_TEST_DATA") + QStringLiteral("/data/html/mixed-elements.html"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(HtmlToText(file.readAll()),
                 QByteArray("Hello & welcome\n\nFirst para with bold and a link <https://ex.example/x>.\n\n"
                            "Second\u00A0para\nnext line\n\n- one\n- two\n  1. a\n  2. b\n\nc1\tc2\nd1\td2\n\n"
                            "Mail x@y.example and https://same.example\n\nunclosed tags\nafter"));
    }

    // Lists and links nested thousands deep once made text growing with the
    // square of the nesting; the text stays within a small multiple of the HTML.
    void nestedHtmlTextGrowsLinearly()
    {
        QFile file(qEnvironmentVariable("PV_TEST_DATA") + QStringLiteral("/data/html/deeply-nested-lists.html"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray html = file.readAll();
        const QByteArray text = HtmlToText(html);
        QVERIFY2(text.size() < 2 * html.size(), QByteArray::number(text.size()));
        QVERIFY(text.startsWith("- x\n  - x\n    - x\n"));
        QVERIFY(text.contains("\n" + QByteArray(14, ' ') + "- x\n" + QByteArray(14, ' ') + "- x\n"));
    }

    void htmlOnlyMessageShowsItsText()
    {
        const auto m = decoded(
            head
            + crlf({"Content-Type: text/html; charset=iso-8859-1", "Content-Transfer-Encoding: quoted-printable", "",
                    "<p>Gr=FC=DFe &amp; <a href=3D\"http://x.org\">mehr</a></p>"}));
        QCOMPARE(m->Body(), TStringList({"Grüße & mehr <http://x.org>"}));
        QCOMPARE(attachmentsOf(*m), QList<QByteArray>({"_htmbody.htm text/html; charset=\"iso-8859-1\" "
                                                       "<p>Gr\xFC\xDF"
                                                       "e &amp; <a href=\"http://x.org\">mehr</a></p>\r\n"}));
        const auto undeclared = decoded(head + crlf({"Content-Type: text/html", "", "<p>Grüße</p>"}));
        QCOMPARE(undeclared->Body(), TStringList({"Grüße"}));
        const auto broken = decoded(
            head + crlf({"Content-Type: text/html; charset=iso-2022-jp", "", "<p>a\xFF</p>", "<p>kept</p>"}));
        QCOMPARE(broken->Body(), TStringList({"aÿ", "", "kept"}));
    }
};

QTEST_GUILESS_MAIN(TestDecoderTree)
#include "tst_decoder_tree.moc"
