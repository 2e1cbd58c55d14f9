#include "app/ClockDates.h"

#include "app/BarControls.h"
#include "app/ClockTexts.h"
#include "app/Commands.h"
#include "app/ToolIcons.h"
#include "toolkit/gui/ErrorHandler.h"
#include "toolkit/gui/Prompter.h"
#include "toolkit/gui/RichEdit.h"

#include <QAction>
#include <QDateEdit>
#include <QLayout>
#include <QLineEdit>
#include <QLocale>
#include <QRegularExpression>
#include <QStyle>
#include <QTimeEdit>
#include <QTimer>
#include <QToolButton>

namespace {

const QString startClockCaption = QStringLiteral("Start &Clock");
const QString stopClockCaption = QStringLiteral("Stop &Clock");
const QString startTimerCaption = QStringLiteral("Start Ti&mer");
const QString stopTimerCaption = QStringLiteral("Stop Ti&mer");

// Runs a command when the picker's text field is double-clicked.
class DoubleClickCommand : public QObject {
public:
    DoubleClickCommand(QWidget* picker, std::function<void()> command) : QObject(picker), command(std::move(command))
    {
        picker->installEventFilter(this);
        if (auto* field = picker->findChild<QLineEdit*>())
            field->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::MouseButtonDblClick)
            return false;
        command();
        return true;
    }

private:
    std::function<void()> command;
};

// The system's long time without the time zone a long format may end in.
QString longTime(QTime time)
{
    static const QRegularExpression zone(QStringLiteral("\\s*t+\\s*"));
    const QString format = QLocale().timeFormat(QLocale::LongFormat).replace(zone, QStringLiteral(" ")).trimmed();
    return QLocale().toString(time, format);
}

} // namespace

ClockDates::ClockDates(TRichEdit& editor, QObject* parent) : QObject(parent), editor(editor)
{
    commands.shortDateFormat = newCheckCommand(this, "ShortDateFormat1", "Short Date &Format",
                                               [this] { toggleShortDateFormat(); });
    commands.startClock = newCommand(this, "StartClock1", startClockCaption, [this] { toggleClock(); });
    commands.startTimer = newCommand(this, "StartTimer1", startTimerCaption, [this] { toggleStopwatch(); });
    clockTimer = new QTimer(this);
    clockTimer->setObjectName(QStringLiteral("Timer1"));
    clockTimer->setInterval(1000);
    connect(clockTimer, &QTimer::timeout, this, Guard([this](auto...) { tick(); }));
}

void ClockDates::addDatePickerTo(QWidget* bar)
{
    datePicker = new QDateEdit(bar);
    datePicker->setObjectName(QStringLiteral("DateTimePicker1"));
    datePicker->setDisplayFormat(QLocale().dateFormat(QLocale::LongFormat));
    datePicker->setCalendarPopup(true);
    datePicker->setFixedWidth(230);
    datePicker->setToolTip(QStringLiteral("Double click to insert date into document"));
    nameControl(datePicker, datePicker->toolTip());
    bar->layout()->addWidget(datePicker);
    new DoubleClickCommand(datePicker, Guard([this] { insertDate(); }));
}

void ClockDates::addTimeControlsTo(QWidget* bar)
{
    timePicker = new QTimeEdit(bar);
    timePicker->setObjectName(QStringLiteral("DateTimePicker2"));
    nameControl(timePicker, QStringLiteral("Time"));
    bar->layout()->addWidget(timePicker);
    new DoubleClickCommand(timePicker, Guard([this] { insertTime(); }));
    resetDatesButton = toolButton(bar, "Reset time and date to current",
                                  themedIcon("view-refresh", bar->style()->standardIcon(QStyle::SP_BrowserReload)));
    resetDatesButton->setObjectName(QStringLiteral("SpeedButton14"));
    connect(resetDatesButton, &QToolButton::clicked, this, Guard([this](bool) { resetDates(); }));
}

void ClockDates::insertDate()
{
    const QDate date = datePicker->date();
    insertAtSelectionStart(commands.shortDateFormat->isChecked() ? QLocale().toString(date, QLocale::ShortFormat)
                                                                 : myDateFormat(date));
}

void ClockDates::insertTime()
{
    insertAtSelectionStart(longTime(timePicker->time()));
}

// Before the selection, which stays in the text.
void ClockDates::insertAtSelectionStart(const QString& text)
{
    editor.SetSelStart(editor.SelStart());
    editor.SetSelText(text);
}

void ClockDates::resetDates()
{
    datePicker->setDate(QDate::currentDate());
    timePicker->setTime(QTime::currentTime());
}

// The clock counts its ticks: a late tick still adds one second.
void ClockDates::tick()
{
    timePicker->setTime(timePicker->time().addSecs(1));
}

void ClockDates::toggleClock()
{
    if (commands.startClock->text() == startClockCaption) {
        timePicker->setTime(QTime::currentTime());
        clockTimer->start();
        commands.startClock->setText(stopClockCaption);
    } else {
        clockTimer->stop();
        commands.startClock->setText(startClockCaption);
    }
}

void ClockDates::toggleStopwatch()
{
    if (commands.startTimer->text() == startTimerCaption) {
        stopwatchStart = QTime::currentTime();
        commands.startTimer->setText(stopTimerCaption);
        return;
    }
    MessageDlg(QStringLiteral("Elaspsed Time: ") + getElapsedTime(QTime::currentTime(), stopwatchStart), mtInformation,
               mbOK);
    commands.startTimer->setText(startTimerCaption);
}

void ClockDates::toggleShortDateFormat()
{
    const bool shortFormat = !commands.shortDateFormat->isChecked();
    commands.shortDateFormat->setChecked(shortFormat);
    datePicker->setDisplayFormat(QLocale().dateFormat(shortFormat ? QLocale::ShortFormat : QLocale::LongFormat));
}
