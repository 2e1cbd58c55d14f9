// Line shapes, escapes and errors of base64, quoted-printable and uuencode.
#include "errorof.h"
#include "mail/codecs/codecs.h"
#include "mail/codecs/codec_errors.h"
#include "toolkit/Streams.h"

#include <QTest>

namespace {

TStringList qpEncode(const QByteArray& bytes)
{
    TMemoryStream source(bytes);
    TStringList lines;
    TQuotedPrintable(source, lines).EncodeStream();
    return lines;
}

QByteArray qpDecode(TStringList lines)
{
    TMemoryStream target;
    TQuotedPrintable(target, lines).DecodeLines();
    return target.Bytes();
}


} // namespace

class TestCoding : public QObject {
    Q_OBJECT
private slots:
    void base64LineShapes()
    {
        QCOMPARE(Base64EncodeLine(""), QByteArray());
        QCOMPARE(Base64EncodeLine("abc"), QByteArray("YWJj"));
        QCOMPARE(Base64EncodeLine("a"), QByteArray("YQ=="));
        QCOMPARE(Base64EncodeLine("ab"), QByteArray("YWI="));
        QCOMPARE(Base64EncodeLine(QByteArray(57, 'x')).size(), 76);
        QCOMPARE(Base64CharValue('='), quint8(255));
        QCOMPARE(Base64CharValue('/'), quint8(63));
    }

    void base64DecodesPaddingAndShortGroups()
    {
        QCOMPARE(Base64DecodeLine("YWJj"), QByteArray("abc"));
        QCOMPARE(Base64DecodeLine("YQ=="), QByteArray("a"));
        QCOMPARE(Base64DecodeLine("YWI="), QByteArray("ab"));
        QCOMPARE(Base64DecodeLine("YWI"), QByteArray("ab"));      // unpadded last group
        QCOMPARE(Base64DecodeLine("YWJjY"), QByteArray("abc"));   // a lone character holds no byte
        QCOMPARE(Base64DecodeLine("YQ==YQ=="), QByteArray("aa")); // padding ends its own group only
        const QByteArray longLine = Base64EncodeLine(QByteArray(600, '\xC3'));
        QCOMPARE(Base64DecodeLine(longLine), QByteArray(600, '\xC3')); // longer than 255: whole
    }

    void base64RejectsOutsideAlphabet()
    {
        for (const QByteArray& line : {QByteArray("YW Jj"), QByteArray("YWJ*"), QByteArray("YWJj\r")})
            QCOMPARE(errorOf([&] { Base64DecodeLine(line); }), QStringLiteral("Invalid Character"));
        QByteArray out = "kept";
        QVERIFY_THROWS_EXCEPTION(EInOutError, Base64DecodeLine("YWJjYW J", out));
        QCOMPARE(out, QByteArray("kept")); // nothing partial
    }

    void qpBreaksLongParagraphs()
    {
        QCOMPARE(qpEncode(QByteArray(70, 'a')), TStringList({QByteArray(65, 'a') + '=', QByteArray(5, 'a')}));
        QCOMPARE(qpEncode(QByteArray(65, 'a')), TStringList({QByteArray(65, 'a') + '=', ""}));
        QCOMPARE(qpEncode(QByteArray(64, 'a')), TStringList({QByteArray(64, 'a')}));
        const QByteArray sentence =
            "The quick brown fox jumps over the lazy dog and then runs far away "
            "into the woods";
        const TStringList lines = qpEncode(sentence);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0], sentence.left(sentence.lastIndexOf(' ', 65)) + '=');
        QVERIFY(lines[1].startsWith(' '));
        QCOMPARE(qpDecode(lines), sentence);
    }

    void qpEscapes()
    {
        QCOMPARE(qpEncode("a\tb=c\xE9"), TStringList({"a=09b=3Dc=E9"}));
        QCOMPARE(qpEncode(QByteArray("a\0b", 3)), TStringList({"a=00b"})); // NUL is data, not an end
        QCOMPARE(qpEncode("end \x7F"), TStringList({"end \x7F"}));
        QCOMPARE(qpEncode("end "), TStringList({"end=20"})); // a line-final blank survives transports
        QCOMPARE(qpEncode(""), TStringList({""}));
    }

    void qpLineBreaks()
    {
        QCOMPARE(qpEncode("a\r\nb"), TStringList({"a", "b"}));
        QCOMPARE(qpEncode("a\r\n"), TStringList({"a", ""}));
        QCOMPARE(qpEncode("a\n\nb"), TStringList({"a", "", "b"})); // blank lines are kept
        QCOMPARE(qpEncode("a\r\rb"), TStringList({"a", "", "b"}));
        QCOMPARE(qpEncode("a\r\n\r\nb"), TStringList({"a", "", "b"}));
        QCOMPARE(qpDecode(qpEncode("one\ntwo\rthree\r\n")), QByteArray("one\r\ntwo\r\nthree\r\n"));
    }

    void qpParagraphsOfAnyLength()
    {
        QByteArray text;
        for (int i = 0; i < 12000; ++i) // beyond one 64 KiB block
            text += "w\xC3\xA9rd ";
        text += "\r\nnext";
        const TStringList lines = qpEncode(text);
        for (const QByteArray& line : lines)
            QVERIFY(line.size() <= 76);
        QCOMPARE(qpDecode(lines), text);
    }

    void qpDecoding()
    {
        QCOMPARE(qpDecode({"a=3D", "b"}), QByteArray("a=\r\nb"));
        QCOMPARE(qpDecode({"soft=", "joined"}), QByteArray("softjoined"));
        QCOMPARE(qpDecode({"=ZZ=4=e9x"}), QByteArray("=ZZ=4\xE9x")); // lower-case hex is read too
        QCOMPARE(qpDecode({"tail=4"}), QByteArray("tail=4"));
        QCOMPARE(qpDecode({}), QByteArray());
        QCOMPARE(qpDecode({"", ""}), QByteArray("\r\n"));
        QCOMPARE(qpDecode({QByteArray(300, 'x') + "=41"}), QByteArray(300, 'x') + 'A');
        QCOMPARE(QPDecodeText("caf=E9 ok="), QByteArray("caf\xE9 ok"));
        QCOMPARE(QPDecodeText("one=0D=0Atwo"), QByteArray("one"));
    }

    void qpDecodeWritesAtStreamPosition()
    {
        TMemoryStream target(QByteArray("head:"));
        target.Seek(0, TStream::soEnd);
        TStringList lines{"x=41"};
        TQuotedPrintable(target, lines).DecodeLines();
        QCOMPARE(target.Bytes(), QByteArray("head:xA"));
    }

    void uuLineShapes()
    {
        QCOMPARE(UUEncodeLine(""), QByteArray("`"));
        const QByteArray block(45, '\x00');
        const QByteArray full = UUEncodeLine(block);
        QCOMPARE(full.size(), 61);
        QCOMPARE(full[0], 'M');
        QCOMPARE(full.mid(1), QByteArray(60, '`'));
        QCOMPARE(UUDecodeLine(full), block);
        QCOMPARE(UUEncodeLine("Cat"), QByteArray("#0V%T"));
        QCOMPARE(UUEncodeLine("C"), QByteArray("!0P"));
        QCOMPARE(UUDecodeLine("#0V%T"), QByteArray("Cat"));
        QCOMPARE(UUDecodeLine("#0V"), QByteArray("C`\0", 3)); // missing characters count as 0
        QCOMPARE(UUDecodeLine(""), QByteArray());
        QCOMPARE(UUDecodeLine("#0V%T   extra"), QByteArray("Cat"));
        QVERIFY_THROWS_EXCEPTION(EInvalidOperation, UUEncodeLine(QByteArray(46, 'x')));
    }

    void uuCharacters()
    {
        QCOMPARE(UUDecodeChar('`'), quint8(0));
        QCOMPARE(UUDecodeChar(' '), quint8(0)); // the older form of zero
        QCOMPARE(UUDecodeChar('_'), quint8(63));
        QCOMPARE(errorOf([] { UUDecodeLine("#0V%\x7F"); }), QStringLiteral("Invalid Character"));
        QCOMPARE(errorOf([] { UUDecodeChar('a'); }), QStringLiteral("Invalid Character"));
    }

    void uuBeginLines()
    {
        QVERIFY(IsUUBeginLine("begin 600 file.txt"));
        QVERIFY(IsUUBeginLine("BEGIN 644 x"));
        QVERIFY(!IsUUBeginLine("begin"));
        QVERIFY(!IsUUBeginLine("begin abc file"));
        QVERIFY(!IsUUBeginLine("beginning of the text"));
        QCOMPARE(UUBeginFileName("begin 600 file.txt"), QByteArray("file.txt"));
        QCOMPARE(UUBeginFileName("begin 0644 file.txt"), QByteArray("file.txt"));
        QCOMPARE(UUBeginFileName("begin 600 \"my file.txt\""), QByteArray("my file.txt"));
        QCOMPARE(UUBeginFileName("begin 600 my file.txt  "), QByteArray("my file.txt"));
        QCOMPARE(UUBeginFileName("begin 600 \"open"), QByteArray());
    }
};

QTEST_GUILESS_MAIN(TestCoding)
#include "tst_mail_coding.moc"
