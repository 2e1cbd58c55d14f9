#include "app/BarControls.h"

#include <QAction>
#include <QFrame>
#include <QLayout>
#include <QLineEdit>
#include <QToolButton>

QToolButton* toolButton(QWidget* bar, const QString& hint, const QIcon& icon)
{
    auto* button = new QToolButton(bar);
    button->setToolTip(hint);
    button->setAccessibleName(hint);
    button->setAutoRaise(true);
    button->setIcon(icon);
    bar->layout()->addWidget(button);
    return button;
}

QToolButton* commandButton(QWidget* bar, QAction* action, const QString& hint, const QIcon& icon)
{
    auto* button = toolButton(bar, hint, icon);
    QObject::connect(button, &QToolButton::clicked, action, &QAction::trigger);
    button->setEnabled(action->isEnabled());
    QObject::connect(action, &QAction::enabledChanged, button, &QWidget::setEnabled);
    return button;
}

void addSeparator(QWidget* bar)
{
    auto* line = new QFrame(bar);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setContentsMargins(3, 4, 3, 4);
    bar->layout()->addWidget(line);
}

void nameControl(QWidget* control, const QString& name)
{
    control->setAccessibleName(name);
    if (auto* field = control->findChild<QLineEdit*>())
        field->setAccessibleName(name);
}
