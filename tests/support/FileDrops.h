#pragma once
// A drag from the desktop's file manager, as a window receives it: copy,
// move and link offered with move proposed (as between folders of one disk),
// then enter, move and drop at one point, delivered like Qt delivers them to
// the widget under the pointer that accepts drops.
#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

struct DropResult {
    bool dropped = false;                     // the target took the drag and the drop
    Qt::DropAction action = Qt::IgnoreAction; // what the file manager is told to do with the file
};

inline DropResult dragAndDrop(QWidget* over, const QMimeData& data)
{
    const QPoint inOver = over->rect().center();
    QWidget* window = over->window();
    const QPoint inWindow = over->mapTo(window, inOver);
    QWidget* target = window->childAt(inWindow);
    while (target && !target->acceptDrops())
        target = target->parentWidget();
    DropResult result;
    if (!target)
        return result;
    const QPoint at = target->mapFrom(window, inWindow);
    const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    QDragEnterEvent enter(at, offered, &data, Qt::LeftButton, Qt::NoModifier);
    enter.setDropAction(Qt::MoveAction);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return result;
    QDragMoveEvent move(at, offered, &data, Qt::LeftButton, Qt::NoModifier);
    move.setDropAction(enter.dropAction());
    QApplication::sendEvent(target, &move);
    if (!move.isAccepted())
        return result;
    QDropEvent drop(QPointF(at), offered, &data, Qt::LeftButton, Qt::NoModifier);
    drop.setDropAction(move.dropAction());
    QApplication::sendEvent(target, &drop);
    result.dropped = drop.isAccepted();
    result.action = drop.dropAction();
    return result;
}

// A file manager's drag of files: their addresses, and maybe their names as text.
inline DropResult dropOn(QWidget* over, const QByteArray& uriList, const QString& text = QString())
{
    QMimeData data;
    data.setData(QStringLiteral("text/uri-list"), uriList);
    if (!text.isNull())
        data.setText(text);
    return dragAndDrop(over, data);
}

inline QByteArray uriListOf(const QStringList& paths)
{
    QByteArray list;
    for (const QString& path : paths)
        list += QUrl::fromLocalFile(path).toEncoded() + "\r\n";
    return list;
}
