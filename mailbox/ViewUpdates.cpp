#include "mailbox/ViewUpdates.h"

#include <QLabel>
#include <QTreeWidget>

TViewUpdates::TViewUpdates(QTreeWidget* shownList, int intervalMs, QObject* owner)
    : QObject(owner), list(shownList)
{
    timer.setSingleShot(true);
    timer.setInterval(intervalMs);
    connect(&timer, &QTimer::timeout, this, &TViewUpdates::Flush);
}

TViewUpdates::~TViewUpdates()
{
    qDeleteAll(rows);
}

void TViewUpdates::AddRow(const QString& first, const QString& second)
{
    rows.append(new QTreeWidgetItem({first, second}));
    hold();
}

void TViewUpdates::SetText(QLabel* label, const QString& text)
{
    texts.insert(label, text);
    hold();
}

// The interval runs from the first change held, so a steady stream still
// shows once an interval.
void TViewUpdates::hold()
{
    if (!timer.isActive())
        timer.start();
}

void TViewUpdates::Flush()
{
    timer.stop();
    if (!rows.isEmpty())
        list->addTopLevelItems(std::exchange(rows, {}));
    for (auto text = texts.cbegin(); text != texts.cend(); ++text)
        text.key()->setText(text.value());
    texts.clear();
}
