// Header field look-up and removal, encoded words and parameters.
#include "mail/headers/header_fields.h"

#include <QTest>

class TestHeaders : public QObject {
    Q_OBJECT
private slots:
    void fieldLookupIgnoresCaseAndBlankAfterColon()
    {
        const TmsHeaders withBlank{"From: a@b.c", "Subject: Hello there"};
        const TmsHeaders without{"subject:Hello there"};
        QCOMPARE(GetHeaderField(withBlank, "Subject"), QByteArray("Hello there"));
        QCOMPARE(GetHeaderField(without, "subject:"), QByteArray("Hello there"));
        QCOMPARE(GetHeaderField(withBlank, "X-Missing"), QByteArray());
        QCOMPARE(GetHeaderField({}, "Subject"), QByteArray());
        QCOMPARE(GetHeaderField({"Subjects: no"}, "Subject"), QByteArray());
    }

    void fieldLookupJoinsFoldedLines()
    {
        const TmsHeaders headers{"Subject: one", "\ttwo  ", "   three", "To: x@y.z", " not subject"};
        QCOMPARE(GetHeaderField(headers, "SUBJECT"), QByteArray("one two three"));
    }

    void fieldLengthLimit()
    {
        const QByteArray longValue(300, 'v');
        QCOMPARE(GetHeaderField({"Subject: " + longValue}, "Subject").size(), 255);
        QCOMPARE(GetHeaderField({"Content-Type: " + longValue}, "Content-Type"), longValue);
        // Characters are counted, and a UTF-8 sequence is never cut.
        const QByteArray accents = QByteArray("\xC3\xA9").repeated(300);
        QCOMPARE(GetHeaderField({"Subject: " + accents}, "Subject"), QByteArray("\xC3\xA9").repeated(255));
    }

    void contentTypeAndUidlStayEncoded()
    {
        const QByteArray word = "=?utf-8?B?w6k=?=";
        QCOMPARE(GetHeaderField({"Content-Type: text/plain; name=" + word}, "content-type"),
                 "text/plain; name=" + word);
        QCOMPARE(GetHeaderField({"X-UIDL: " + word}, "X-UIDL"), word);
    }

    void encodedWordsDecode()
    {
        QCOMPARE(DecodeEncodedWords("=?iso-8859-1?Q?abc=E9?="), QByteArray("abc\xC3\xA9"));
        QCOMPARE(DecodeEncodedWords("=?utf-8?B?w6l0w6k=?="), QByteArray("\xC3\xA9t\xC3\xA9"));
        QCOMPARE(DecodeEncodedWords("=?UTF-8?q?=C3=A9?="), QByteArray("\xC3\xA9"));
        QCOMPARE(DecodeEncodedWords("=?windows-1252?Q?=80?="), QByteArray("\xE2\x82\xAC"));
        QCOMPARE(DecodeEncodedWords("=?iso-8859-2?Q?=B1?="), QByteArray("\xC4\x85"));
        QCOMPARE(DecodeEncodedWords("=?utf-8*en?Q?a?="), QByteArray("a"));
        QCOMPARE(DecodeEncodedWords("=?us-ascii?Q?"
                                    "?="),
                 QByteArray());
    }

    void encodedWordWhiteSpace()
    {
        QCOMPARE(DecodeEncodedWords("=?utf-8?Q?a?= =?utf-8?Q?b?="), QByteArray("ab"));
        QCOMPARE(DecodeEncodedWords("=?utf-8?Q?a?=\t  =?utf-8?Q?b?="), QByteArray("ab"));
        QCOMPARE(DecodeEncodedWords("=?utf-8?Q?Re:?= plain word"), QByteArray("Re: plain word"));
        QCOMPARE(DecodeEncodedWords("plain =?utf-8?Q?x?= end"), QByteArray("plain x end"));
        QCOMPARE(GetHeaderField({"Subject: =?utf-8?Q?one?=", " =?utf-8?Q?two?="}, "Subject"), QByteArray("onetwo"));
    }

    // A character's bytes split between adjacent words of one character set.
    void splitCharactersJoin()
    {
        QCOMPARE(DecodeEncodedWords("=?utf-8?B?w6nD?= =?UTF-8?B?qQ==?="), QByteArray("\xC3\xA9\xC3\xA9"));
        QCOMPARE(DecodeEncodedWords("=?utf-8?Q?=C3?=\t=?utf-8?B?qQ==?= x"), QByteArray("\xC3\xA9 x"));
        QCOMPARE(DecodeEncodedWords("=?iso-8859-1?Q?=E9?= =?utf-8?Q?=C3=A9?="), QByteArray("\xC3\xA9\xC3\xA9"));
    }

    void underscoreIsBlankOnlyInQWords()
    {
        QCOMPARE(DecodeEncodedWords("=?utf-8?Q?a_b?="), QByteArray("a b"));
        QCOMPARE(DecodeEncodedWords("file_name =?utf-8?Q?x_y?= v_2"), QByteArray("file_name x y v_2"));
        QCOMPARE(DecodeEncodedWords("=?utf-8?B?YV9i?="), QByteArray("a_b"));
        QCOMPARE(DecodeEncodedWords("snake_case"), QByteArray("snake_case"));
    }

    void undecodableWordsStay()
    {
        for (const QByteArray& value :
             {QByteArray("=?utf-8?B?#bad?="), QByteArray("=?utf-8?Q?=ZZ?="), QByteArray("=?utf-8?X?abc?="),
              QByteArray("start =?utf-8?Q?open"), QByteArray("=? not a word ?=")})
            QCOMPARE(DecodeEncodedWords(value), value);
        QCOMPARE(DecodeEncodedWords("=?utf-8?X?a?= =?utf-8?Q?b?="), QByteArray("=?utf-8?X?a?= b"));
    }

    void unknownCharsets()
    {
        QCOMPARE(DecodeEncodedWords("=?x-unknown?Q?=C3=A9?="), QByteArray("\xC3\xA9")); // valid UTF-8 kept
        QCOMPARE(DecodeEncodedWords("=?x-unknown?Q?=E9?="), QByteArray("\xC3\xA9"));    // else windows-1252
        QCOMPARE(DecodeEncodedWords("=?us-ascii?Q?=E9?="), QByteArray("\xC3\xA9"));
    }

    void removeField()
    {
        TmsHeaders headers{"Subject: one", " folded", "X-A: 1", "subject: two", "\tfolded", "Subjects: 3"};
        RemoveHeaderField(headers, "Subject");
        QCOMPARE(headers, TmsHeaders({"X-A: 1", "Subjects: 3"}));
        RemoveHeaderField(headers, "X-None");
        QCOMPARE(headers.size(), 2);
    }

    void parameters()
    {
        QCOMPARE(GetHeaderParameter("boundary", "multipart/mixed; boundary=\"a b c\""), QByteArray("a b c"));
        QCOMPARE(GetHeaderParameter("boundary", "multipart/mixed; boundary=abc; charset=x"), QByteArray("abc"));
        QCOMPARE(GetHeaderParameter("boundary", "multipart/mixed;boundary=abc;charset=x"), QByteArray("abc"));
        QCOMPARE(GetHeaderParameter("Boundary", "multipart/mixed; BOUNDARY = abc"), QByteArray("abc"));
        QCOMPARE(GetHeaderParameter("name", "attachment; filename=\"a.txt\""), QByteArray());
        QCOMPARE(GetHeaderParameter("filename", "attachment; filename=\"a.txt\""), QByteArray("a.txt"));
        QCOMPARE(GetHeaderParameter("name", "text/plain; name=\"q\\\"x.txt\""), QByteArray("q\"x.txt"));
        QCOMPARE(GetHeaderParameter("name", "text/plain; name=\"open"), QByteArray("open"));
        QCOMPARE(GetHeaderParameter("name", "text/plain; name="), QByteArray());
        QCOMPARE(GetHeaderParameter("boundary", "text/plain"), QByteArray());
    }

    void mimeType()
    {
        QCOMPARE(ExtractMimeType("text/plain; charset=us-ascii"), QByteArray("text/plain"));
        QCOMPARE(ExtractMimeType(" text/html charset"), QByteArray());
        QCOMPARE(ExtractMimeType("image/png"), QByteArray("image/png"));
    }
};

QTEST_GUILESS_MAIN(TestHeaders)
#include "tst_mail_headers.moc"
