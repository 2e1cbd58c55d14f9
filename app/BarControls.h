#pragma once
// The controls the main window's bars are made of, each added at the end of
// its bar's row.
#include <QString>

class QAction;
class QIcon;
class QToolButton;
class QWidget;

QToolButton* toolButton(QWidget* bar, const QString& hint, const QIcon& icon);

// A button that runs action, greyed while the action is.
QToolButton* commandButton(QWidget* bar, QAction* action, const QString& hint, const QIcon& icon);

void addSeparator(QWidget* bar);

// Screen readers read a spin box or an editable list through its text field too.
void nameControl(QWidget* control, const QString& name);
