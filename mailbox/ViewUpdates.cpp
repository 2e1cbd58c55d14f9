#include "mailbox/ViewUpdates.h"

#include <QLabel>
#include <QTreeWidget>

#include <utility>

TViewUpdates::TViewUpdates(QTreeWidget* shownList, int intervalMs, QObject* owner)
    : QObject(owner), list(shownList), interval(intervalMs)
{
    timer.setSingleShot(true);
    sinceShown.start();
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

// A steady stream still shows once an interval.
void TViewUpdates::hold()
{
    if (timer.isActive())
        return;
    const qint64 wait = interval - sinceShown.elapsed();
    if (wait <= 0)
        Flush();
    else
        timer.start(int(wait));
}

void TViewUpdates::Flush()
{
    timer.stop();
    if (!rows.isEmpty())
        list->addTopLevelItems(std::exchange(rows, {}));
    for (auto text = texts.cbegin(); text != texts.cend(); ++text)
        text.key()->setText(text.value());
    texts.clear();
    sinceShown.restart();
}
