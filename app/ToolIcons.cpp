#include "app/ToolIcons.h"

#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <cmath>

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
    case ToolIcon::Exit: // an open door with the way out: not a window's close cross
        p.setBrush(QColor(235, 235, 235));
        p.drawRect(QRectF(1.5, 1.5, 8, 13));
        p.setBrush(QColor(160, 110, 60));
        p.drawPolygon(QPolygonF({QPointF(1.5, 1.5), QPointF(6.5, 3.5), QPointF(6.5, 15.5), QPointF(1.5, 14.5)}));
        drawArrow(p, QPointF(8, 8), QPointF(15, 8), QColor(180, 40, 30));
        break;
    }
}

} // namespace

QIcon themedIcon(const char* themeName, const QIcon& fallback)
{
    return QIcon::fromTheme(QString::fromLatin1(themeName), fallback);
}

QPixmap programPicture(int side)
{
    QPixmap picture(side, side);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(side / 64.0, side / 64.0);
    p.setBrush(Qt::white);
    p.setPen(QPen(QColor(90, 90, 90), 2));
    p.drawRoundedRect(QRectF(10, 6, 40, 52), 4, 4);
    p.setPen(QPen(QColor(120, 140, 170), 2));
    for (int y = 18; y <= 46; y += 7)
        p.drawLine(16, y, 40, y);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 60, 140));
    p.drawPolygon(QPolygonF({QPointF(58, 10), QPointF(62, 14), QPointF(36, 46), QPointF(30, 48), QPointF(32, 42)}));
    return picture;
}

QIcon toolIcon(ToolIcon which)
{
    QPixmap picture(side, side);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter, which);
    return QIcon(picture);
}
