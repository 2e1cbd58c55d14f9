#pragma once
// TPageSetupDialog: runs Qt's page setup dialog on a working copy of the
// program's printer and keeps its results: margins, minimum margins and paper
// size, in thousandths of an inch or hundredths of a millimetre. Confirming
// makes the dialog's printer settings the program's; cancelling changes nothing.
#include "toolkit/gui/Dialogs.h"

#include <QPoint>
#include <functional>

class QPainter;
class QPrinter;
class QRect;

enum TPageSetupOption {
    poDefaultMinMargins = 0x1,
    poDisableMargins = 0x2,
    poDisableOrientation = 0x4,
    poDisablePagePainting = 0x8,
    poDisablePaper = 0x10,
    poDisablePrinter = 0x20,
    poNoWarning = 0x40,
    poShowHelp = 0x80,
};
using TPageSetupOptions = int; // OR of TPageSetupOption values

enum TPSMeasurements { pmMillimeters, pmInches };
enum TPSPaperType { ptPaper, ptEnvelope };
enum TPSPaperOrientation { poPortrait, poLandscape };
enum TPSPrinterType { ptDotMatrix, ptHPPCL };
enum TPSPaintWhat { pwFullPage, pwMinimumMargins, pwMargins, pwGreekText, pwEnvStamp, pwYAFullPage };

// Four distances or edges: left, top, right, bottom.
struct TPSRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    friend bool operator==(const TPSRect&, const TPSRect&) = default;
};

using TPSPrinterEvent = std::function<void(QObject* Sender, QWidget* Wnd)>;
using TPSInitPaintPageEvent =
    std::function<bool(QObject* Sender, int PaperSize, TPSPaperType PaperType, TPSPaperOrientation PaperOrientation,
                       TPSPrinterType PrinterType, QPrinter* pSetupData)>;
using TPSPaintPageEvent =
    std::function<bool(QObject* Sender, TPSPaintWhat PaintWhat, QPainter* Canvas, const QRect& Rect)>;

class TPageSetupDialog : public TCommonDialog {
    Q_OBJECT
public:
    // The flags the request carries for the system dialog's conventions.
    enum RequestFlag {
        psdMargins = 0x2,
        psdInThousandthsOfInches = 0x4,
        psdInHundredthsOfMillimeters = 0x8,
        psdDisableMargins = 0x10,
        psdDisablePrinter = 0x20,
        psdNoWarning = 0x80,
        psdDisableOrientation = 0x100,
        psdDisablePaper = 0x200,
        psdShowHelp = 0x800,
        psdEnablePageSetupHook = 0x2000,
        psdEnablePagePaintHook = 0x40000,
        psdDisablePagePainting = 0x80000,
    };

    explicit TPageSetupDialog(QObject* owner);

    TPageSetupOptions Options = poDefaultMinMargins | poShowHelp;
    TPSMeasurements Measurements = pmInches;
    TPSPrinterEvent OnPrinter; // Qt's dialog has no printer button, so it is never called
    TPSInitPaintPageEvent OnInitPaintPage;
    TPSPaintPageEvent OnPaintPage;

    TPSRect Margins{1000, 1000, 1000, 1000};
    TPSRect MinMargins;
    QPoint PaperSize; // width, height
    int CustomData = 0;

    int RequestFlags() const;

protected:
    bool run() override;

private:
    void copyIn(QPrinter& printer) const;
    void copyOut(const QPrinter& printer);
    double unitsPerPoint() const;
};
