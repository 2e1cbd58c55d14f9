// The date and time pickers, the running clock and the stopwatch of the main
// window; the clock's ticks are sent by the test, never waited for.
#include "Answers.h"
#include "FreshWindow.h"
#include "WindowParts.h"

#include "app/ClockTexts.h"
#include "app/MainWindow.h"
#include "toolkit/gui/RichEdit.h"

#include <QDateEdit>
#include <QLineEdit>
#include <QLocale>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <QToolButton>
#include <memory>

class ClockDatesTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    std::unique_ptr<Answers> answers;
    std::unique_ptr<MainWindow> form;

    TRichEdit* editor() const { return partOf<TRichEdit>(*form, "RichEdit1"); }
    QDateEdit* datePicker() const { return partOf<QDateEdit>(*form, "DateTimePicker1"); }
    QTimeEdit* timePicker() const { return partOf<QTimeEdit>(*form, "DateTimePicker2"); }
    QString caption(const char* item) const { return partOf<QAction>(*form, item)->text(); }

    static void doubleClick(QWidget* picker) { QTest::mouseDClick(picker->findChild<QLineEdit*>(), Qt::LeftButton); }

private slots:
    void init() { QVERIFY(ShowFreshMainWindow(dir.filePath("config"), answers, form)); }

    void cleanup()
    {
        form.reset();
        answers.reset();
    }

    void elapsedTimeBorrowsColumnByColumn_data()
    {
        QTest::addColumn<QTime>("start");
        QTest::addColumn<QTime>("stop");
        QTest::addColumn<QString>("text");
        QTest::newRow("over the hour") << QTime(10, 59, 50) << QTime(11, 0, 10) << "0 hours, 0 minutes, 20 seconds";
        QTest::newRow("over midnight") << QTime(23, 59, 0) << QTime(0, 1, 30) << "0 hours, 2 minutes, 30 seconds";
        QTest::newRow("same second") << QTime(8, 0, 0, 100) << QTime(8, 0, 0, 900) << "0 hours, 0 minutes, 0 seconds";
        QTest::newRow("hours") << QTime(9, 30, 0) << QTime(12, 15, 5) << "2 hours, 45 minutes, 5 seconds";
    }
    void elapsedTimeBorrowsColumnByColumn()
    {
        QFETCH(QTime, start);
        QFETCH(QTime, stop);
        QFETCH(QString, text);
        QCOMPARE(getElapsedTime(stop, start), text);
    }

    void theLongDateHasFixedEnglishNames()
    {
        QCOMPARE(myDateFormat(QDate(2026, 12, 6)), QString("Sunday  December 6, 2026"));
        QCOMPARE(myDateFormat(QDate(2027, 1, 11)), QString("Monday  January 11, 2027"));
    }

    void theDateGoesBeforeASelectedWord()
    {
        editor()->SetText("word");
        editor()->SelectAll();
        datePicker()->setDate(QDate(2026, 12, 6));
        doubleClick(datePicker());
        QCOMPARE(editor()->Text(), QString("Sunday  December 6, 2026word"));

        trigger(*form, "ShortDateFormat1");
        QVERIFY(partOf<QAction>(*form, "ShortDateFormat1")->isChecked());
        QCOMPARE(datePicker()->displayFormat(), QLocale().dateFormat(QLocale::ShortFormat));
        editor()->SetText("");
        doubleClick(datePicker());
        QCOMPARE(editor()->Text(), QLocale().toString(QDate(2026, 12, 6), QLocale::ShortFormat));
    }

    void theTimeGoesInWithoutAZone()
    {
        timePicker()->setTime(QTime(14, 5, 9));
        doubleClick(timePicker());
        QVERIFY2(editor()->Text().contains(QRegularExpression("^0?2:05:09 ?PM$|^14:05:09$")),
                 qPrintable(editor()->Text()));
    }

    void theClockAddsOneSecondPerTick()
    {
        auto* timer = partOf<QTimer>(*form, "Timer1");
        QVERIFY(!timer->isActive());
        trigger(*form, "StartClock1");
        QVERIFY(timer->isActive());
        QCOMPARE(caption("StartClock1"), QString("Stop &Clock"));
        timePicker()->setTime(QTime(23, 59, 58));
        for (int tick = 0; tick < 3; ++tick) { // late ticks count as one second each
            QTimerEvent event(timer->timerId());
            QCoreApplication::sendEvent(timer, &event);
        }
        QCOMPARE(timePicker()->time(), QTime(0, 0, 1));
        trigger(*form, "StartClock1");
        QVERIFY(!timer->isActive());
        QCOMPARE(caption("StartClock1"), QString("Start &Clock"));
    }

    void theStopwatchReportsTheTimeBetweenItsClicks()
    {
        trigger(*form, "StartTimer1");
        QCOMPARE(caption("StartTimer1"), QString("Stop Ti&mer"));
        QVERIFY(answers->asked.isEmpty());
        trigger(*form, "StartTimer1");
        QCOMPARE(caption("StartTimer1"), QString("Start Ti&mer"));
        QCOMPARE(answers->asked.size(), 1);
        QVERIFY(
            answers->asked.first().contains(QRegularExpression("^Elaspsed Time: 0 hours, 0 minutes, [01] seconds$")));
    }

    void theResetButtonGoesBackToNow()
    {
        datePicker()->setDate(QDate(2000, 1, 1));
        timePicker()->setTime(QTime(1, 2, 3));
        partOf<QToolButton>(*form, "SpeedButton14")->click();
        QCOMPARE(datePicker()->date(), QDate::currentDate());
        QVERIFY(qAbs(timePicker()->time().secsTo(QTime::currentTime())) < 5);
    }
};

QTEST_MAIN(ClockDatesTest)
#include "tst_clock_dates.moc"
