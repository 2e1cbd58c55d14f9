#pragma once
// The window's time conveniences: the date and time pickers, inserted into
// the document by double-click, the running clock, the stopwatch and the
// button that resets the pickers.
#include <QObject>
#include <QTime>

class QAction;
class QDateEdit;
class QTimeEdit;
class QTimer;
class QToolButton;
class QWidget;
class TRichEdit;

class ClockDates : public QObject {
    Q_OBJECT
public:
    ClockDates(TRichEdit& editor, QObject* parent);

    QAction* shortDateFormatAction() const { return commands.shortDateFormat; }
    QAction* startClockAction() const { return commands.startClock; }
    QAction* startTimerAction() const { return commands.startTimer; }

    // Each at the end of bar's row.
    void addDatePickerTo(QWidget* bar);
    void addTimeControlsTo(QWidget* bar);
    // Both pickers to the current date and time.
    void resetDates();

private:
    void insertDate();
    void insertTime();
    void insertAtSelectionStart(const QString& text);
    void tick();
    void toggleClock();
    void toggleStopwatch();
    void toggleShortDateFormat();

    TRichEdit& editor;
    QDateEdit* datePicker = nullptr;
    QTimeEdit* timePicker = nullptr;
    QToolButton* resetDatesButton = nullptr;
    QTimer* clockTimer; // the running clock's tick
    QTime stopwatchStart;
    struct {
        QAction *shortDateFormat, *startClock, *startTimer;
    } commands;
};
