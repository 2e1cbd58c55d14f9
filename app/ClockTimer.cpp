// The main window's time conveniences: the date and time pickers inserted by
// double-click, the running clock, the stopwatch and the reset button.
#include "app/ClockTexts.h"
#include "app/MainWindow.h"

#include "toolkit/gui/ErrorHandler.h"
#include "toolkit/gui/Prompter.h"
#include "toolkit/gui/RichEdit.h"

#include <QAction>
#include <QDateEdit>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QTimeEdit>
#include <QTimer>

namespace {

const QString startClockCaption = QStringLiteral("Start &Clock");
const QString stopClockCaption = QStringLiteral("Stop &Clock");
const QString startTimerCaption = QStringLiteral("Start Ti&mer");
const QString stopTimerCaption = QStringLiteral("Stop Ti&mer");

// Runs a command when the picker's text field is double-clicked.
class DoubleClickCommand : public QObject {
public:
    DoubleClickCommand(QWidget* picker, std::function<void()> command)
        : QObject(picker), command(std::move(command))
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

void MainWindow::createClockComponents()
{
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, Guard([this](auto...) { Timer1Timer(); }));
    new DoubleClickCommand(DateTimePicker1, Guard([this] { dateTimePicker1DblClick(); }));
    new DoubleClickCommand(DateTimePicker2, Guard([this] { DateTimePicker2DblClick(); }));
}

void MainWindow::dateTimePicker1DblClick()
{
    const QDate date = DateTimePicker1->date();
    insertAtSelectionStart(ShortDateFormat1->isChecked() ? QLocale().toString(date, QLocale::ShortFormat)
                                                         : myDateFormat(date));
}

void MainWindow::DateTimePicker2DblClick()
{
    insertAtSelectionStart(longTime(DateTimePicker2->time()));
}

// Before the selection, which stays in the text.
void MainWindow::insertAtSelectionStart(const QString& text)
{
    RichEdit1->SetSelStart(RichEdit1->SelStart());
    RichEdit1->SetSelText(text);
}

void MainWindow::SpeedButton14Click()
{
    DateTimePicker1->setDate(QDate::currentDate());
    DateTimePicker2->setTime(QTime::currentTime());
}

// The clock counts its ticks: a late tick still adds one second.
void MainWindow::Timer1Timer()
{
    DateTimePicker2->setTime(DateTimePicker2->time().addSecs(1));
}

void MainWindow::StartClock1Click()
{
    if (StartClock1->text() == startClockCaption) {
        DateTimePicker2->setTime(QTime::currentTime());
        Timer1->start();
        StartClock1->setText(stopClockCaption);
    } else {
        Timer1->stop();
        StartClock1->setText(startClockCaption);
    }
}

void MainWindow::StartTimer1Click()
{
    if (StartTimer1->text() == startTimerCaption) {
        timerStart = QTime::currentTime();
        StartTimer1->setText(stopTimerCaption);
        return;
    }
    MessageDlg(QStringLiteral("Elaspsed Time: ") + getElapsedTime(QTime::currentTime(), timerStart), mtInformation,
               mbOK);
    StartTimer1->setText(startTimerCaption);
}

void MainWindow::ShortDateFormat1Click()
{
    const bool shortFormat = !ShortDateFormat1->isChecked();
    ShortDateFormat1->setChecked(shortFormat);
    DateTimePicker1->setDisplayFormat(QLocale().dateFormat(shortFormat ? QLocale::ShortFormat : QLocale::LongFormat));
}
