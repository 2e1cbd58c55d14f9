#include "toolkit/Exception.h"
#include "toolkit/StringList.h"
#include "toolkit/Streams.h"

#include <QTemporaryDir>
#include <QTest>

class StreamTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void memoryStreamPositionsAndGrows()
    {
        TMemoryStream s;
        s.Write(QByteArray("hello"));
        s.Seek(-2, TStream::soEnd);
        s.Write(QByteArray("LOWORLD"));
        QCOMPARE(s.Bytes(), QByteArray("helLOWORLD"));
        s.SetPosition(3);
        char buf[32];
        QCOMPARE(s.Read(buf, sizeof buf), qint64(7));
        QCOMPARE(s.Read(buf, sizeof buf), qint64(0));
        s.SetPosition(100);
        QCOMPARE(s.Read(buf, 1), qint64(0));
        QVERIFY_THROWS_EXCEPTION(EReadError, s.ReadBuffer(buf, 1));
    }

    void fileErrorsNameTheFileAndTheReason()
    {
        const QString missing = dir.filePath("no/such/file.txt");
        try {
            TFileStream s(missing, TFileStream::fmOpenRead);
            QFAIL("opened a missing file");
        } catch (const EFOpenError& e) {
            QCOMPARE(e.Message, QString("Cannot open file \"%1\". No such file or directory").arg(missing));
        }
        QVERIFY_THROWS_EXCEPTION(EFCreateError, TFileStream(missing, TFileStream::fmCreate));
    }

    void copyMovesWholeBlocks()
    {
        QByteArray big(200000, 'x');
        big[199999] = 'y';
        TMemoryStream source(big), target;
        QCOMPARE(target.CopyFrom(source, 0), qint64(big.size()));
        QCOMPARE(target.Bytes(), big);
    }

    void linesSplitAtEveryLineEndAndJoinWithCrLf()
    {
        TStringList lines;
        lines.SetText("a\r\nb\nc\rd\r\n\r\ne");
        QCOMPARE(lines, TStringList({"a", "b", "c", "d", "", "e"}));
        QCOMPARE(lines.Text(), QByteArray("a\r\nb\r\nc\r\nd\r\n\r\ne\r\n"));
        lines.SetText("");
        QVERIFY(lines.isEmpty());
        lines.SetText(QByteArray(300, 'z') + "\0tail" + "\n");
        QCOMPARE(lines.size(), 1);
    }

    void lineListsCheckTheirIndexes()
    {
        TStringList lines({"one"});
        try {
            lines.Strings(5);
            QFAIL("no error");
        } catch (const EListError& e) {
            QCOMPARE(e.Message, QString("List index out of bounds (5)"));
        }
        QVERIFY_THROWS_EXCEPTION(EListError, lines.Delete(-1));
    }

    void linesRoundTripThroughAFile()
    {
        const QString name = dir.filePath("lines.txt");
        TStringList lines({"first", "", "third with \xc3\xa9"});
        lines.SaveToFile(name);
        TStringList back;
        back.LoadFromFile(name);
        QCOMPARE(back, lines);
    }
};

int runStreamTests(int argc, char** argv)
{
    StreamTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_streams.moc"
