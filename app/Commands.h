#pragma once
// Commands as actions: each carries the design's name as its object name, so
// tests and screen readers find it, and runs through the error box.
#include <QAction>
#include <QKeySequence>
#include <functional>

QKeySequence ctrlKey(char key);

QAction* newCommand(QObject* owner, const char* name, const QString& caption, std::function<void()> command,
                    const QKeySequence& shortcut = {});

// A checked command that decides its check mark itself: the automatic toggle
// of the click is undone before the command runs.
QAction* newCheckCommand(QObject* owner, const char* name, const QString& caption, std::function<void()> command,
                         const QKeySequence& shortcut = {});
