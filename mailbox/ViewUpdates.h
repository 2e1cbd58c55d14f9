#pragma once
// Rows and status texts that arrive faster than anyone can read them are
// shown together at most once an interval: the first change after a quiet
// interval at once, later ones held until the interval is over. Shown one
// by one, each would cost a layout and a repaint of the list, which for
// small messages takes longer than retrieving or loading them.
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

class TViewUpdates : public QObject {
public:
    TViewUpdates(QTreeWidget* list, int intervalMs, QObject* owner);
    ~TViewUpdates() override;

    // Appends a row to the list, within an interval.
    void AddRow(const QString& first, const QString& second);
    // Shows the text in the label, within an interval.
    void SetText(QLabel* label, const QString& text);
    // Shows everything held now: the rows in the order they came.
    void Flush();

private:
    void hold();

    QTreeWidget* list;
    int interval;
    QList<QTreeWidgetItem*> rows;
    QHash<QLabel*, QString> texts; // only the latest text of a label shows
    QTimer timer;
    QElapsedTimer sinceShown;
};
