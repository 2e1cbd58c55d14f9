#include "app/PageGeometry.h"

#include <QTest>

namespace {
// US Letter at 600 dpi whose printable area starts 100 pixels in.
const PrinterMetrics letter600{600, 600, 100, 100, 5100 - 200, 11 * 600 - 200};
const TPSRect inch{1000, 1000, 1000, 1000};
} // namespace

class PageGeometryTest : public QObject {
    Q_OBJECT
private slots:
    void marginsBecomeRectangleFromPrintableOrigin()
    {
        QCOMPARE(PageRectFromMargins(inch, letter600), (TPSRect{500, 500, 4400, 5900}));
        // Thousandths are truncated to whole printer pixels.
        QCOMPARE(PageRectFromMargins({1999, 333, 0, 0}, {300, 300, 0, 0, 2550, 3300}), (TPSRect{599, 99, 2550, 3300}));
    }

    void pageColumnOnScreenMatchesThePrintedLine()
    {
        const TPSRect page = PageRectFromMargins(inch, letter600);
        const QRect column = EditorTextColumn(true, page, 96.0f / 600, QSize(640, 300));
        QCOMPARE(column.left(), 80);
        QCOMPARE(column.right() + 1, 704);
        QCOMPARE(column.top(), 45);
        QCOMPARE(column.bottom() + 1, 300);
        // Halves round to the even neighbour.
        QCOMPARE(EditorTextColumn(true, {5, 0, 7, 0}, 0.5f, QSize(100, 100)).left(), 2);
        QCOMPARE(EditorTextColumn(true, {5, 0, 7, 0}, 0.5f, QSize(100, 100)).right() + 1, 4);
    }

    void freeColumnIsInsetThirtyPixels()
    {
        const QRect column = EditorTextColumn(false, {500, 500, 4400, 5900}, 0.16f, QSize(640, 300));
        QCOMPARE(column, QRect(QPoint(30, 45), QPoint(609, 299)));
    }
};

QTEST_MAIN(PageGeometryTest)
#include "tst_page_geometry.moc"
