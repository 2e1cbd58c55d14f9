#include "toolkit/gui/ColorGrid.h"

#include "toolkit/gui/ColorGridAccessible_p.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

TColorGrid::TColorGrid(QWidget* parent) : QWidget(parent)
{
    InstallColorGridAccessibility();
    setMinimumSize(16 * 10, 16);
    setFocusPolicy(Qt::StrongFocus);
}

const QList<QColor>& TColorGrid::Palette()
{
    static const QList<QColor> colours = {
        QColor(0, 0, 0),       QColor(128, 0, 0),   QColor(0, 128, 0),   QColor(128, 128, 0),
        QColor(0, 0, 128),     QColor(128, 0, 128), QColor(0, 128, 128), QColor(192, 192, 192),
        QColor(128, 128, 128), QColor(255, 0, 0),   QColor(0, 255, 0),   QColor(255, 255, 0),
        QColor(0, 0, 255),     QColor(255, 0, 255), QColor(0, 255, 255), QColor(255, 255, 255),
    };
    return colours;
}

QString TColorGrid::ColorName(int index)
{
    static const char* const names[] = {"Black", "Maroon", "Green", "Olive",  "Navy", "Purple",  "Teal", "Silver",
                                        "Gray",  "Red",    "Lime",  "Yellow", "Blue", "Fuchsia", "Aqua", "White"};
    return index >= 0 && index < Palette().size() ? QString::fromLatin1(names[index]) : QString();
}

void TColorGrid::SetForegroundIndex(int index)
{
    if (index < 0 || index >= Palette().size())
        return;
    foreground = Palette()[index];
    current = index;
    update();
}

void TColorGrid::SetCurrentIndex(int index)
{
    if (index < 0 || index >= Palette().size() || index == current)
        return;
    current = index;
    update();
    ColorGridCurrentChanged(this);
}

void TColorGrid::PickIndex(int index)
{
    if (index < 0 || index >= Palette().size())
        return;
    SetForegroundIndex(index);
    if (OnClick)
        OnClick();
}

QRect TColorGrid::CellRect(int index) const
{
    const int count = Palette().size();
    const int left = index * width() / count;
    const int right = (index + 1) * width() / count;
    return QRect(left, 0, right - left, height()).adjusted(1, 1, -1, -1);
}

void TColorGrid::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    for (int i = 0; i < Palette().size(); ++i) {
        const QRect cell = CellRect(i);
        painter.fillRect(cell, Palette()[i]);
        painter.setPen(Palette()[i] == foreground ? QPen(palette().highlight(), 2) : QPen(Qt::gray));
        painter.drawRect(cell);
    }
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = CellRect(current).adjusted(-1, -1, 1, 1);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

void TColorGrid::mousePressEvent(QMouseEvent* event)
{
    PickIndex(int(event->position().x()) * Palette().size() / std::max(1, width()));
}

void TColorGrid::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up: SetCurrentIndex(current - 1); break;
    case Qt::Key_Right:
    case Qt::Key_Down: SetCurrentIndex(current + 1); break;
    case Qt::Key_Home: SetCurrentIndex(0); break;
    case Qt::Key_End: SetCurrentIndex(Palette().size() - 1); break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space: PickIndex(current); break;
    default: QWidget::keyPressEvent(event); return;
    }
    event->accept();
}
