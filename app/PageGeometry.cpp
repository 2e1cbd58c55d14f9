#include "app/PageGeometry.h"

#include <cmath>

namespace {
constexpr int textTop = 45;
constexpr int freeInset = 30;

// Integer products divided with truncation, as printer pixels always were.
int thousandthsToDots(int thousandths, int dpi) { return thousandths * dpi / 1000; }

// From left, top, right, bottom edges: right and bottom lie just outside.
QRect fromEdges(int left, int top, int right, int bottom) { return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)); }
} // namespace

TPSRect PageRectFromMargins(const TPSRect& margins, const PrinterMetrics& p)
{
    return {thousandthsToDots(margins.Left, p.dpiX) - p.offsetX, thousandthsToDots(margins.Top, p.dpiY) - p.offsetY,
            p.width - thousandthsToDots(margins.Right, p.dpiX) + p.offsetX,
            p.height - thousandthsToDots(margins.Bottom, p.dpiY) + p.offsetY};
}

QRect EditorTextColumn(bool pageSetupApplied, const TPSRect& pageRect, float printerRatio, QSize client)
{
    if (!pageSetupApplied)
        return fromEdges(freeInset, textTop, client.width() - freeInset, client.height());
    const auto toScreen = [printerRatio](int dots) { return int(std::nearbyint(float(dots) * printerRatio)); };
    return fromEdges(toScreen(pageRect.Left), textTop, toScreen(pageRect.Right), client.height());
}
