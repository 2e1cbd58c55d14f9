#include "widgets/FileDrop.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace {

bool isDragOrDrop(QEvent::Type type)
{
    return type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop;
}

} // namespace

TFileDrop::TFileDrop(QObject* owner) : QObject(owner) {}

TFileDrop::~TFileDrop()
{
    if (control)
        detach();
}

void TFileDrop::SetEnableDrop(bool enable)
{
    enabled = enable;
    if (control)
        control->setAcceptDrops(enable || controlAcceptedDrops);
}

void TFileDrop::SetDropControl(QWidget* target)
{
    if (target == control)
        return;
    if (control)
        detach();
    control = target;
    if (control)
        attach();
    SetEnableDrop(control != nullptr);
}

// A drag is delivered to the inner widget under the pointer (a text view's
// viewport, say), so every widget of the control is watched.
void TFileDrop::attach()
{
    controlAcceptedDrops = control->acceptDrops();
    watched = {control};
    for (QWidget* inner : control->findChildren<QWidget*>())
        watched << inner;
    for (QWidget* widget : std::as_const(watched))
        widget->installEventFilter(this);
}

void TFileDrop::detach()
{
    for (QWidget* widget : std::as_const(watched))
        if (widget)
            widget->removeEventFilter(this);
    watched.clear();
    control->setAcceptDrops(controlAcceptedDrops);
}

// Drags of files are taken here; anything else, text above all, goes on to
// the control as before.
bool TFileDrop::eventFilter(QObject*, QEvent* event)
{
    if (!enabled || !isDragOrDrop(event->type()))
        return false;
    auto* drag = static_cast<QDropEvent*>(event);
    // A move would let the file manager delete the file once it has been dropped.
    if (!drag->mimeData()->hasUrls() || !(drag->possibleActions() & Qt::CopyAction))
        return false;
    drag->setDropAction(Qt::CopyAction);
    drag->accept();
    if (event->type() == QEvent::Drop)
        collect(*drag);
    return true;
}

void TFileDrop::collect(const QDropEvent& drop)
{
    files.clear();
    for (const QUrl& url : drop.mimeData()->urls())
        files << (url.isLocalFile() ? url.toLocalFile() : url.toString());
    if (OnDrop)
        OnDrop(this);
}
