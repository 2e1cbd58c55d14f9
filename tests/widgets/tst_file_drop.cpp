#include "widgets/FileDrop.h"

#include "FileDrops.h"

#include <QPlainTextEdit>
#include <QTest>
#include <memory>

class FileDropTest : public QObject {
    Q_OBJECT
    std::unique_ptr<QPlainTextEdit> editor; // a control whose inner view takes the drags
    std::unique_ptr<TFileDrop> drop;
    int drops = 0;

private slots:
    void init()
    {
        editor = std::make_unique<QPlainTextEdit>();
        editor->resize(300, 200);
        editor->show();
        QVERIFY(QTest::qWaitForWindowExposed(editor.get()));
        drop = std::make_unique<TFileDrop>(nullptr);
        drops = 0;
        drop->OnDrop = [this](QObject* sender) {
            QCOMPARE(sender, drop.get());
            ++drops;
        };
    }

    void cleanup()
    {
        drop.reset();
        editor.reset();
    }

    void collectsEveryFileInOrderAsACopy()
    {
        QCOMPARE(drop->FileCount(), 0);
        drop->SetDropControl(editor.get());
        QVERIFY(drop->EnableDrop());
        const QString longName = "/home/user/" + QString(140, 'n') + ".txt";
        const QStringList files = {"/home/user/b one.txt", longName, "/tmp/a.rtf"};
        const DropResult result = dropOn(editor.get(), uriListOf(files), files.join('\n'));
        QVERIFY(result.dropped);
        QCOMPARE(result.action, Qt::CopyAction); // a move would delete the file in the file manager
        QCOMPARE(drops, 1);
        QCOMPARE(drop->FileCount(), 3);
        QCOMPARE(drop->Files(), files);
        QVERIFY(editor->toPlainText().isEmpty()); // the names are not typed into the text
    }

    void textIsLeftToTheControl()
    {
        drop->SetDropControl(editor.get());
        QMimeData text;
        text.setText("typed by dragging");
        QVERIFY(dragAndDrop(editor.get(), text).dropped);
        QCOMPARE(editor->toPlainText(), QString("typed by dragging"));
        QCOMPARE(drops, 0);
    }

    void disabledOrDetachedTakesNoFiles()
    {
        drop->SetDropControl(editor.get());
        drop->SetEnableDrop(false);
        dropOn(editor.get(), uriListOf({"/tmp/a.txt"}));
        QCOMPARE(drops, 0);
        drop->SetEnableDrop(true); // the interception stayed in place
        QVERIFY(dropOn(editor.get(), uriListOf({"/tmp/a.txt"})).dropped);
        QCOMPARE(drops, 1);

        drop->SetDropControl(nullptr);
        QVERIFY(!drop->EnableDrop());
        dropOn(editor.get(), uriListOf({"/tmp/b.txt"}));
        QCOMPARE(drops, 1);
    }
};

QTEST_MAIN(FileDropTest)
#include "tst_file_drop.moc"
