// The line reader and the temporary file stream.
#include "mail/store/mail_streams.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>

namespace {

QList<QByteArray> allLines(const QByteArray& text)
{
    TLineStream reader(text);
    reader.Rewind();
    QList<QByteArray> lines;
    for (QByteArrayView line = reader.NextLine(); !reader.Eof(); line = reader.NextLine())
        lines.append(line.toByteArray());
    return lines;
}

} // namespace

class TestStreams : public QObject {
    Q_OBJECT
private slots:
    void linesEndAtEveryKindOfBreak()
    {
        QCOMPARE(allLines("a\r\nb\nc\rd"), QList<QByteArray>({"a", "b", "c", "d"}));
        QCOMPARE(allLines("a\r\n\r\n"), QList<QByteArray>({"a", ""}));
        QCOMPARE(allLines(QByteArray("x\0y\r\nz", 6)), QList<QByteArray>({QByteArray("x\0y", 3), "z"}));
        QCOMPARE(allLines(""), QList<QByteArray>());
    }

    void longLinesComeWhole()
    {
        const QByteArray big(100000, 'q');
        QCOMPARE(allLines("a\n" + big + "\r\nb"), QList<QByteArray>({"a", big, "b"}));
    }

    void endMarkerAndRewind()
    {
        TLineStream reader("one\r\n");
        reader.Rewind();
        QCOMPARE(reader.NextLine(), QByteArrayView("one"));
        QVERIFY(!reader.Eof());
        QCOMPARE(reader.NextLine(), QByteArrayView("\xFF\xFF\xFF\xFF"));
        QVERIFY(reader.Eof());
        reader.Rewind();
        QCOMPARE(reader.NextLine(), QByteArrayView("one"));
    }

    void temporaryFilesArePrivateAndGoWithTheirStream()
    {
        QString first;
        {
            TTempFileStream a;
            TTempFileStream b;
            first = a.FileName();
            QVERIFY(first != b.FileName());
            QVERIFY(QFileInfo(first).fileName().startsWith(QLatin1String("ms")));
            QCOMPARE(QFile::permissions(first) & 0x0077, QFileDevice::Permissions());
            a.Write(QByteArray("hello"));
            a.SetPosition(1);
            char buffer[4];
            QCOMPARE(a.Read(buffer, 4), 4);
            QCOMPARE(QByteArray(buffer, 4), QByteArray("ello"));
            QCOMPARE(a.Size(), 5);
            {
                TTempFileStream c;
                QVERIFY(QFile::exists(c.FileName()));
            }
            QVERIFY(QFile::exists(b.FileName()));
        }
        QVERIFY(!QFile::exists(first));
    }
};

QTEST_GUILESS_MAIN(TestStreams)
#include "tst_mime_streams.moc"
