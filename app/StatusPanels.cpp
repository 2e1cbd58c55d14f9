#include "app/StatusPanels.h"

#include <QHelpEvent>
#include <QLabel>
#include <QPainter>
#include <QStatusBar>
#include <QToolTip>

#include <algorithm>

namespace {

// A status panel of fixed width: text too long for it ends in an ellipsis and
// shows whole as the panel's tooltip, so it never pushes the others aside.
class StatusPanelLabel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QFrame::paintEvent(event);
        QPainter painter(this);
        painter.drawText(room(), Qt::AlignLeft | Qt::AlignVCenter, shown());
    }

    bool event(QEvent* event) override
    {
        if (event->type() != QEvent::ToolTip || shown() == text())
            return QLabel::event(event);
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text(), this);
        return true;
    }

private:
    QRect room() const { return contentsRect().adjusted(3, 0, -3, 0); }
    QString shown() const { return fontMetrics().elidedText(text(), Qt::ElideRight, room().width()); }
};

} // namespace

StatusPanels::StatusPanels(QStatusBar& bar, QObject& doubleClickWatcher) : bar(bar)
{
    bar.setObjectName(QStringLiteral("StatusBar1"));
    bar.setSizeGripEnabled(false);
    // Design widths in StatusPanel order; the state panel takes what is
    // left, and never less than its longest usual word.
    for (int width : {156, 32, 72, 260, 50, 110}) {
        auto* panel = new StatusPanelLabel(&bar);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->installEventFilter(&doubleClickWatcher);
        const bool stretches = panels.size() == int(StatusPanel::State);
        if (stretches)
            panel->setMinimumWidth(
                std::max(width, panel->fontMetrics().horizontalAdvance(QStringLiteral("Unmodified")) + 12));
        else
            panel->setFixedWidth(width);
        bar.addWidget(panel, stretches ? 1 : 0);
        panels << panel;
    }
    bar.installEventFilter(&doubleClickWatcher);
}

void StatusPanels::set(StatusPanel panel, const QString& text)
{
    panels[int(panel)]->setText(text);
}

QString StatusPanels::text(StatusPanel panel) const
{
    return panels[int(panel)]->text();
}

bool StatusPanels::holds(const QObject* object) const
{
    return object == &bar
        || std::any_of(panels.begin(), panels.end(), [object](const QLabel* panel) { return panel == object; });
}
