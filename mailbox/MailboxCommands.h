#pragma once
// The mailbox window's commands as the user meets them: a menu item, a tool
// button and a context menu item that run one handler. Every handler runs
// through the error box and waits while a retrieval or listing is under way.
#include <QList>
#include <QString>
#include <QStyle>
#include <functional>
#include <utility>

class QAction;
class QWidget;
class MailboxListing;

// Most commands wait while a retrieval or listing runs; closing and stopping
// are what the user needs most then.
enum class RunsWhen { Idle, Busy };

// One command; a part may lack its tool button or its context menu item.
struct MailboxCommand {
    QAction* menuItem = nullptr;
    QAction* toolButton = nullptr;
    QAction* contextItem = nullptr; // enabled as the menu item when the context menu opens

    // The menu item and the tool button together.
    void setEnabled(bool enabled) const;
};

class MailboxCommands {
public:
    MailboxCommands(QWidget& window, const MailboxListing& listing);

    // The handler as every command runs it.
    std::function<void()> whenIdle(const std::function<void()>& handler) const;

    QAction* menuItem(const char* name, const QString& caption, const QString& hint,
                      const std::function<void()>& handler, RunsWhen runs = RunsWhen::Idle) const;
    QAction* toolButton(const char* name, const QString& hint, QStyle::StandardPixmap icon,
                        const std::function<void()>& handler, RunsWhen runs = RunsWhen::Idle) const;
    QAction* contextItem(const char* name, const QString& caption, const QString& hint, QAction* menuItem,
                         const std::function<void()>& handler);

    // Before the context menu shows.
    void matchContextItems() const;

private:
    QWidget& window;
    const MailboxListing& listing;
    QList<std::pair<QAction*, QAction*>> contextTwins; // context item, the menu item it mirrors
};
