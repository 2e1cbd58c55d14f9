#include "toolkit/gui/ColorGrid.h"

#include <QMouseEvent>
#include <QPainter>

TColorGrid::TColorGrid(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(16 * 10, 16);
}

const QList<QColor>& TColorGrid::Palette()
{
    static const QList<QColor> colours = {
        QColor(0, 0, 0), QColor(128, 0, 0), QColor(0, 128, 0), QColor(128, 128, 0),
        QColor(0, 0, 128), QColor(128, 0, 128), QColor(0, 128, 128), QColor(192, 192, 192),
        QColor(128, 128, 128), QColor(255, 0, 0), QColor(0, 255, 0), QColor(255, 255, 0),
        QColor(0, 0, 255), QColor(255, 0, 255), QColor(0, 255, 255), QColor(255, 255, 255),
    };
    return colours;
}

void TColorGrid::SetForegroundIndex(int index)
{
    if (index < 0 || index >= Palette().size())
        return;
    foreground = Palette()[index];
    update();
}

QRect TColorGrid::cellRect(int index) const
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
        const QRect cell = cellRect(i);
        painter.fillRect(cell, Palette()[i]);
        painter.setPen(Palette()[i] == foreground ? QPen(palette().highlight(), 2) : QPen(Qt::gray));
        painter.drawRect(cell);
    }
}

void TColorGrid::mousePressEvent(QMouseEvent* event)
{
    const int index = int(event->position().x()) * Palette().size() / std::max(1, width());
    SetForegroundIndex(index);
    if (OnClick)
        OnClick();
}
