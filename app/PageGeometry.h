#pragma once
// Page margins turned into the rectangle printing lays the text out in, and
// that rectangle mirrored on screen as the editor's text column.
#include "widgets/PageSetupDialog.h"

#include <QRect>
#include <QSize>

class QPrinter;

// What printing needs to know of a printer, in its own pixels: resolution,
// where its printable area starts on the paper, and that area's size.
struct PrinterMetrics {
    int dpiX = 0, dpiY = 0;
    int offsetX = 0, offsetY = 0;
    int width = 0, height = 0;
};

PrinterMetrics MetricsOf(const QPrinter& printer);

// The rectangle between the edges left, top, right, bottom: right and bottom lie just outside it.
QRect EdgesToRect(const TPSRect& edges);

// margins in thousandths of an inch → left, top, right, bottom in printer
// pixels from the printable area's origin.
TPSRect PageRectFromMargins(const TPSRect& margins, const PrinterMetrics& printer);

// The editor's text column in its client area: the page's width scaled to
// the screen once a page setup applies, 30 pixels in from each side before;
// the text always starts 45 pixels down.
QRect EditorTextColumn(bool pageSetupApplied, const TPSRect& pageRect, float printerRatio, QSize client);
