#include "app/ToolIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

constexpr int side = 16;

void drawEnvelope(QPainter& p)
{
    p.setBrush(QColor(250, 246, 230));
    p.drawRect(QRectF(1.5, 3.5, 13, 9));
    p.drawPolyline(QPolygonF({QPointF(1.5, 3.5), QPointF(8, 9), QPointF(14.5, 3.5)}));
}

void drawArrow(QPainter& p, QPointF from, QPointF to, const QColor& colour)
{
    p.save();
    p.setPen(QPen(colour, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, to);
    const QPointF d = (to - from) / std::max(1.0, std::hypot((to - from).x(), (to - from).y()));
    const QPointF n(-d.y(), d.x());
    p.drawLine(to, to - 3 * d + 3 * n);
    p.drawLine(to, to - 3 * d - 3 * n);
    p.restore();
}

void drawSheet(QPainter& p, QRectF r)
{
    p.setBrush(Qt::white);
    p.drawRect(r);
    for (qreal y = r.top() + 3; y < r.bottom() - 1; y += 2.5)
        p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2, y));
}

void draw(QPainter& p, ToolIcon which)
{
    p.setPen(QPen(QColor(60, 60, 60), 1));
    switch (which) {
    case ToolIcon::SendMail:
        drawEnvelope(p);
        drawArrow(p, QPointF(8, 14.5), QPointF(15, 14.5), QColor(30, 120, 40));
        break;
    case ToolIcon::RetrieveMail:
        drawEnvelope(p);
        drawArrow(p, QPointF(15, 14.5), QPointF(8, 14.5), QColor(30, 70, 160));
        break;
    case ToolIcon::Print:
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 1.5, 7, 5));
        p.setBrush(QColor(170, 170, 170));
        p.drawRect(QRectF(1.5, 6.5, 13, 6));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 10.5, 7, 4));
        break;
    case ToolIcon::Cut:
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(2, 10, 4, 4));
        p.drawEllipse(QRectF(10, 10, 4, 4));
        p.drawLine(QPointF(5.5, 10.5), QPointF(11, 1.5));
        p.drawLine(QPointF(10.5, 10.5), QPointF(5, 1.5));
        break;
    case ToolIcon::Copy:
        drawSheet(p, QRectF(1.5, 1.5, 8, 10));
        drawSheet(p, QRectF(6.5, 4.5, 8, 10));
        break;
    case ToolIcon::Paste:
        p.setBrush(QColor(190, 150, 90));
        p.drawRect(QRectF(1.5, 2.5, 10, 12));
        p.setBrush(QColor(120, 120, 120));
        p.drawRect(QRectF(4.5, 1.5, 4, 2));
        drawSheet(p, QRectF(7.5, 6.5, 7, 8));
        break;
    }
}

} // namespace

QIcon toolIcon(ToolIcon which)
{
    QPixmap picture(side, side);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter, which);
    return QIcon(picture);
}
