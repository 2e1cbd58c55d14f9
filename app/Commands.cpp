#include "app/Commands.h"

#include "toolkit/gui/ErrorHandler.h"

namespace {

QAction* namedAction(QObject* owner, const char* name, const QString& caption, const QKeySequence& shortcut)
{
    auto* action = new QAction(caption, owner);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(shortcut);
    return action;
}

} // namespace

QKeySequence ctrlKey(char key)
{
    return QKeySequence(Qt::CTRL | Qt::Key(key));
}

QAction* newCommand(QObject* owner, const char* name, const QString& caption, std::function<void()> command,
                    const QKeySequence& shortcut)
{
    QAction* action = namedAction(owner, name, caption, shortcut);
    QObject::connect(action, &QAction::triggered, owner, Guard([command](bool) { command(); }));
    return action;
}

QAction* newCheckCommand(QObject* owner, const char* name, const QString& caption, std::function<void()> command,
                         const QKeySequence& shortcut)
{
    QAction* action = namedAction(owner, name, caption, shortcut);
    action->setCheckable(true);
    QObject::connect(action, &QAction::triggered, owner, Guard([action, command](bool checked) {
                         action->setChecked(!checked);
                         command();
                     }));
    return action;
}
