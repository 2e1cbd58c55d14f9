#include "widgets/CurrentPrinter.h"
#include "widgets/PageSetupDialog.h"

#include <QApplication>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrinter>
#include <QScreen>
#include <QTest>
#include <QTimer>

namespace {
// Closes the page setup dialog once it is up, confirming or cancelling;
// records where it stood and lets the sample page paint first.
struct DialogCloser {
    bool confirm;
    QRect geometry;
    void arm()
    {
        QTimer::singleShot(0, [this] {
            auto* dialog = qobject_cast<QPageSetupDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            geometry = dialog->frameGeometry();
            dialog->grab(); // paints the sample page
            confirm ? dialog->accept() : dialog->reject();
        });
    }
};

QMarginsF printerMarginsInInches()
{
    return CurrentPrinter().pageLayout().margins(QPageLayout::Inch);
}
} // namespace

class PageSetupTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        QPageLayout layout = CurrentPrinter().pageLayout();
        layout.setUnits(QPageLayout::Inch);
        layout.setMargins(QMarginsF(0.5, 0.5, 0.5, 0.5));
        CurrentPrinter().setPageLayout(layout);
    }

    void requestFlagsFollowOptionsUnitAndEvents()
    {
        TPageSetupDialog dialog(nullptr);
        QCOMPARE(dialog.RequestFlags(), 0x2 | 0x4 | 0x800); // margins supplied, inches, help
        dialog.Options = poDefaultMinMargins;
        QCOMPARE(dialog.RequestFlags(), 0x2 | 0x4);
        dialog.Options = poDisableMargins | poDisableOrientation | poDisablePagePainting | poDisablePaper
                       | poDisablePrinter | poNoWarning;
        dialog.Measurements = pmMillimeters;
        QCOMPARE(dialog.RequestFlags(), 0x2 | 0x8 | 16 | 256 | 524288 | 512 | 32 | 128);
        dialog.Options = 0;
        dialog.OnPaintPage = [](QObject*, TPSPaintWhat, QPainter*, const QRect&) { return false; };
        QCOMPARE(dialog.RequestFlags(), 0x2 | 0x8 | 0x2000);
        dialog.OnInitPaintPage = [](QObject*, int, TPSPaperType, TPSPaperOrientation, TPSPrinterType, QPrinter*) {
            return false;
        };
        QCOMPARE(dialog.RequestFlags(), 0x2 | 0x8 | 0x2000 | 0x40000);
    }

    void confirmingUnchangedKeepsInchMarginsAndGivesThemToThePrinter()
    {
        TPageSetupDialog dialog(nullptr);
        DialogCloser closer{true, {}};
        closer.arm();
        QVERIFY(dialog.Execute());
        QCOMPARE(dialog.Margins, (TPSRect{1000, 1000, 1000, 1000}));
        QCOMPARE(printerMarginsInInches(), QMarginsF(1, 1, 1, 1));
        const QSizeF paper = CurrentPrinter().pageLayout().fullRect(QPageLayout::Point).size() * 1000 / 72;
        QCOMPARE(dialog.PaperSize, QPoint(qRound(paper.width()), qRound(paper.height())));
        // Centred, its top a third of the way down the room left over.
        const QRect screen = QApplication::primaryScreen()->availableGeometry();
        QVERIFY(qAbs(closer.geometry.center().x() - screen.center().x()) <= 1);
        QVERIFY(qAbs(closer.geometry.y() - (screen.height() - closer.geometry.height()) / 3) <= 1);
    }

    void cancellingChangesNothing()
    {
        TPageSetupDialog dialog(nullptr);
        dialog.Margins = {2000, 500, 500, 500};
        DialogCloser closer{false, {}};
        closer.arm();
        QVERIFY(!dialog.Execute());
        QCOMPARE(dialog.Margins, (TPSRect{2000, 500, 500, 500}));
        QCOMPARE(dialog.PaperSize, QPoint());
        QCOMPARE(printerMarginsInInches(), QMarginsF(0.5, 0.5, 0.5, 0.5));
    }

    void millimetresAreHundredths()
    {
        TPageSetupDialog dialog(nullptr);
        dialog.Measurements = pmMillimeters;
        dialog.Margins = {2540, 2540, 1270, 1270};
        DialogCloser closer{true, {}};
        closer.arm();
        QVERIFY(dialog.Execute());
        QCOMPARE(dialog.Margins, (TPSRect{2540, 2540, 1270, 1270}));
        QCOMPARE(printerMarginsInInches(), QMarginsF(1, 1, 0.5, 0.5));
    }

    void samplePageDrawnByTheEventsWhenTheyTakeItOver()
    {
        TPageSetupDialog dialog(nullptr);
        QList<TPSPaintWhat> steps;
        dialog.OnInitPaintPage = [](QObject*, int, TPSPaperType, TPSPaperOrientation, TPSPrinterType, QPrinter*) {
            return true;
        };
        dialog.OnPaintPage = [&steps](QObject*, TPSPaintWhat what, QPainter* canvas, const QRect&) {
            if (canvas && canvas->isActive() && !steps.contains(what))
                steps << what;
            return true;
        };
        DialogCloser closer{false, {}};
        closer.arm();
        dialog.Execute();
        QCOMPARE(steps, (QList{pwFullPage, pwMinimumMargins, pwMargins, pwGreekText, pwEnvStamp, pwYAFullPage}));
    }
};

QTEST_MAIN(PageSetupTest)
#include "tst_page_setup.moc"
