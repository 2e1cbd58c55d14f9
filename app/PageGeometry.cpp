#include "app/PageGeometry.h"

#include <QPrinter>

#include <cmath>

namespace {
constexpr int textTop = 45;
constexpr int freeInset = 30;

// Integer products divided with truncation, as printer pixels always were.
int thousandthsToDots(int thousandths, int dpi)
{
    return thousandths * dpi / 1000;
}
} // namespace

QRect EdgesToRect(const TPSRect& e)
{
    return QRect(QPoint(e.Left, e.Top), QPoint(e.Right - 1, e.Bottom - 1));
}

PrinterMetrics MetricsOf(const QPrinter& printer)
{
    const QRect printable = printer.pageRect(QPrinter::DevicePixel).toRect();
    const QRect paper = printer.paperRect(QPrinter::DevicePixel).toRect();
    return {printer.logicalDpiX(),     printer.logicalDpiY(), printable.x() - paper.x(),
            printable.y() - paper.y(), printer.width(),       printer.height()};
}

TPSRect PageRectFromMargins(const TPSRect& margins, const PrinterMetrics& p)
{
    return {thousandthsToDots(margins.Left, p.dpiX) - p.offsetX, thousandthsToDots(margins.Top, p.dpiY) - p.offsetY,
            p.width - thousandthsToDots(margins.Right, p.dpiX) + p.offsetX,
            p.height - thousandthsToDots(margins.Bottom, p.dpiY) + p.offsetY};
}

QRect EditorTextColumn(bool pageSetupApplied, const TPSRect& pageRect, float printerRatio, QSize client)
{
    if (!pageSetupApplied)
        return EdgesToRect({freeInset, textTop, client.width() - freeInset, client.height()});
    const auto toScreen = [printerRatio](int dots) { return int(std::nearbyint(float(dots) * printerRatio)); };
    return EdgesToRect({toScreen(pageRect.Left), textTop, toScreen(pageRect.Right), client.height()});
}
