#include "mailbox/MailboxCommands.h"

#include "mailbox/MailboxListing.h"
#include "toolkit/gui/ErrorHandler.h"

#include <QAction>
#include <QWidget>

void MailboxCommand::setEnabled(bool enabled) const
{
    menuItem->setEnabled(enabled);
    toolButton->setEnabled(enabled);
}

MailboxCommands::MailboxCommands(QWidget& owner, const MailboxListing& shownListing)
    : window(owner), listing(shownListing)
{
}

// A command never starts inside the waits of another.
std::function<void()> MailboxCommands::whenIdle(const std::function<void()>& handler) const
{
    return Guard([this, handler] {
        if (!listing.busy())
            handler();
    });
}

QAction* MailboxCommands::menuItem(const char* name, const QString& caption, const QString& hint,
                                   const std::function<void()>& handler, RunsWhen runs) const
{
    auto* action = new QAction(caption, &window);
    action->setObjectName(QString::fromLatin1(name));
    action->setStatusTip(hint);
    const std::function<void()> run = runs == RunsWhen::Idle ? whenIdle(handler) : Guard(handler);
    QObject::connect(action, &QAction::triggered, &window, [run] { run(); });
    return action;
}

QAction* MailboxCommands::toolButton(const char* name, const QString& hint, QStyle::StandardPixmap icon,
                                     const std::function<void()>& handler, RunsWhen runs) const
{
    QAction* action = menuItem(name, {}, hint, handler, runs);
    action->setIcon(window.style()->standardIcon(icon));
    action->setToolTip(hint);
    action->setIconText(hint.trimmed()); // never shown on the icon-only bar: the button's name for a screen reader
    return action;
}

QAction* MailboxCommands::contextItem(const char* name, const QString& caption, const QString& hint, QAction* twin,
                                      const std::function<void()>& handler)
{
    QAction* action = menuItem(name, caption, hint, handler);
    contextTwins.append(std::pair{action, twin});
    return action;
}

void MailboxCommands::matchContextItems() const
{
    for (const auto& [item, twin] : contextTwins)
        item->setEnabled(twin->isEnabled());
}
