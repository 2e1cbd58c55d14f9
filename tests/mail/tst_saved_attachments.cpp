// Saving attachments into a directory never replaces a file and never
// follows a link planted there.
#include "mail/model/message.h"
#include "toolkit/Streams.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

void addAttachment(TmsMessage& message, const QByteArray& name, const QByteArray& data)
{
    auto item = std::make_unique<TmsAttItem>();
    item->SetFileName(name);
    item->Data().Write(data);
    message.Attachments().Add(std::move(item));
}

} // namespace

class TestSavedAttachments : public QObject {
    Q_OBJECT

private slots:
    void eachGetsAFreeName_data()
    {
        QTest::addColumn<QByteArrayList>("names");
        QTest::addColumn<QStringList>("saved");
        QTest::newRow("same name") << QByteArrayList{"a.pdf", "dir/a.pdf", "a.pdf"}
                                   << QStringList{"a.pdf", "a (2).pdf", "a (3).pdf"};
        QTest::newRow("no extension") << QByteArrayList{"README", "README"} << QStringList{"README", "README (2)"};
        QTest::newRow("dot file") << QByteArrayList{".profile", ".profile"} << QStringList{".profile", ".profile (2)"};
        QTest::newRow("control characters") << QByteArrayList{"a\tb\x1b[31m\x7f.txt",
                                                              "c\xc2\x85"
                                                              "d.txt"}
                                            << QStringList{"a_b_[31m_.txt", "c_d.txt"};
        // Reordering marks would make "invoice<RLO>fdp.exe" read as a PDF.
        QTest::newRow("bidirectional controls")
            << QByteArrayList{"invoice\u202Efdp.exe", "a\u202A\u202Cb\u2066\u2069c\u200E\u200Fd\u061C.txt"}
            << QStringList{"invoice_fdp.exe", "a__b__c__d_.txt"};
        // Names are cut to the 255 bytes a file system takes, whole characters and extension kept.
        const QString longName = QString(94, QChar(0x65E5)) + QStringLiteral(".pdf");
        QTest::newRow("too long") << QByteArrayList{longName.toUtf8(), longName.toUtf8()}
                                  << QStringList{QString(83, QChar(0x65E5)) + QStringLiteral(".pdf"),
                                                 QString(82, QChar(0x65E5)) + QStringLiteral(" (2).pdf")};
    }
    void eachGetsAFreeName()
    {
        QFETCH(QByteArrayList, names);
        QFETCH(QStringList, saved);
        QTemporaryDir dir;
        TmsMessage message;
        for (qsizetype i = 0; i < names.size(); ++i)
            addAttachment(message, names[i], QByteArray::number(i));
        for (qsizetype i = 0; i < names.size(); ++i) {
            QCOMPARE(message.SaveAttachment(i, dir.path()), dir.filePath(saved[i]));
            QCOMPARE(ReadWholeFile(dir.filePath(saved[i])), QByteArray::number(i));
        }
    }

    // A file, a link to a file and a link to nothing that hold the names.
    void whatIsThereStaysUntouched()
    {
        QTemporaryDir dir;
        QTemporaryDir outside;
        const QString victim = outside.filePath(QStringLiteral("victim"));
        const QString planted = outside.filePath(QStringLiteral("planted"));
        WriteWholeFile(dir.filePath(QStringLiteral("kept.txt")), "old");
        WriteWholeFile(victim, "safe");
        QVERIFY(QFile::link(victim, dir.filePath(QStringLiteral("link.txt"))));
        QVERIFY(QFile::link(planted, dir.filePath(QStringLiteral("dangling.txt"))));
        TmsMessage message;
        for (const QByteArray name : {"kept.txt", "link.txt", "dangling.txt"})
            addAttachment(message, name, "new");
        QCOMPARE(message.SaveAttachment(0, dir.path()), dir.filePath(QStringLiteral("kept (2).txt")));
        QCOMPARE(message.SaveAttachment(1, dir.path()), dir.filePath(QStringLiteral("link (2).txt")));
        QCOMPARE(message.SaveAttachment(2, dir.path()), dir.filePath(QStringLiteral("dangling (2).txt")));
        QCOMPARE(ReadWholeFile(dir.filePath(QStringLiteral("kept.txt"))), QByteArray("old"));
        QCOMPARE(ReadWholeFile(victim), QByteArray("safe"));
        QVERIFY(!QFileInfo::exists(planted));
    }
};

QTEST_GUILESS_MAIN(TestSavedAttachments)
#include "tst_saved_attachments.moc"
