#include "widgets/PageSetupDialog.h"

#include "widgets/CurrentPrinter.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrinter>
#include <QScreen>
#include <cmath>

namespace {

constexpr double pointsPerInch = 72.0;
constexpr double millimetresPerInch = 25.4;

int rounded(double value)
{
    return int(std::lround(value));
}

// Qt's sample page: at its start OnInitPaintPage may take the drawing over,
// and then OnPaintPage draws each part of the page in turn.
class SamplePageHook : public QObject {
public:
    SamplePageHook(TPageSetupDialog& owner, QPrinter& printer, QObject* parent)
        : QObject(parent), owner(owner), printer(printer)
    {
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Paint)
            return false;
        const QPageLayout layout = printer.pageLayout();
        const TPSPaperOrientation orientation = layout.orientation() == QPageLayout::Landscape ? poLandscape
                                                                                               : poPortrait;
        if (!owner.OnInitPaintPage(&owner, int(layout.pageSize().id()), ptPaper, orientation, ptHPPCL, &printer))
            return false;
        auto* page = static_cast<QWidget*>(watched);
        QPainter painter(page);
        const QRect whole = page->rect();
        const QRectF paper = layout.fullRectPoints();
        const auto inset = [&](const QMarginsF& margins) {
            const double scale = whole.width() / paper.width();
            return whole.marginsRemoved(QMargins(rounded(margins.left() * scale), rounded(margins.top() * scale),
                                                 rounded(margins.right() * scale), rounded(margins.bottom() * scale)));
        };
        const QRect minimum = inset(layout.minimumMargins());
        const QRect text = inset(layout.margins(QPageLayout::Point));
        const std::pair<TPSPaintWhat, QRect> steps[] = {{pwFullPage, whole}, {pwMinimumMargins, minimum},
                                                        {pwMargins, text},   {pwGreekText, text},
                                                        {pwEnvStamp, {}},    {pwYAFullPage, {}}};
        for (const auto& [what, rect] : steps)
            owner.OnPaintPage(&owner, what, &painter, rect);
        return true;
    }

private:
    TPageSetupDialog& owner;
    QPrinter& printer;
};

// Qt's dialog has groups for paper, orientation and margins and a sample
// page; it has no printer or help button and gives no warning to silence.
void applyOptions(QPageSetupDialog& dialog, TPageSetupOptions options)
{
    const auto disableGroupOf = [&dialog](const char* name) {
        if (auto* control = dialog.findChild<QWidget*>(QString::fromLatin1(name)))
            control->parentWidget()->setEnabled(false);
    };
    if (options & poDisablePaper)
        disableGroupOf("pageSizeCombo");
    if (options & poDisableOrientation)
        disableGroupOf("portrait");
    if (options & poDisableMargins)
        disableGroupOf("topMargin");
    if (options & poDisablePagePainting)
        if (auto* preview = dialog.findChild<QWidget*>(QStringLiteral("preview")))
            preview->hide();
}

QWidget* samplePage(QPageSetupDialog& dialog)
{
    QWidget* preview = dialog.findChild<QWidget*>(QStringLiteral("preview"));
    if (!preview)
        return nullptr;
    QWidget* drawn = preview->findChild<QWidget*>();
    return drawn ? drawn : preview;
}

// Centres the dialog across the screen, its top at a third of the height
// left over, when it is shown and its size is final.
class Placer : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Show)
            return false;
        auto* dialog = static_cast<QWidget*>(watched);
        const QScreen* screen = dialog->screen() ? dialog->screen() : QGuiApplication::primaryScreen();
        if (screen) {
            const QRect free = screen->availableGeometry();
            const QSize size = dialog->frameGeometry().size();
            dialog->move(free.x() + (free.width() - size.width()) / 2, free.y() + (free.height() - size.height()) / 3);
        }
        return false;
    }
};

} // namespace

TPageSetupDialog::TPageSetupDialog(QObject* owner) : TCommonDialog(owner) {}

int TPageSetupDialog::RequestFlags() const
{
    static constexpr std::pair<TPageSetupOption, int> optionFlags[] = {{poDisableMargins, psdDisableMargins},
                                                                       {poDisableOrientation, psdDisableOrientation},
                                                                       {poDisablePagePainting, psdDisablePagePainting},
                                                                       {poDisablePaper, psdDisablePaper},
                                                                       {poDisablePrinter, psdDisablePrinter},
                                                                       {poNoWarning, psdNoWarning},
                                                                       {poShowHelp, psdShowHelp}};
    int flags = psdMargins | (Measurements == pmInches ? psdInThousandthsOfInches : psdInHundredthsOfMillimeters);
    for (const auto& [option, flag] : optionFlags)
        if (Options & option)
            flags |= flag;
    if (OnPrinter || OnInitPaintPage || OnPaintPage)
        flags |= psdEnablePageSetupHook;
    if (OnInitPaintPage && OnPaintPage)
        flags |= psdEnablePagePaintHook;
    return flags;
}

double TPageSetupDialog::unitsPerPoint() const
{
    return Measurements == pmInches ? 1000.0 / pointsPerInch : 100.0 * millimetresPerInch / pointsPerInch;
}

void TPageSetupDialog::copyIn(QPrinter& printer) const
{
    QPageLayout layout = printer.pageLayout();
    const double scale = 1.0 / unitsPerPoint();
    if (PaperSize.x() > 0 && PaperSize.y() > 0)
        layout.setPageSize(QPageSize(QSizeF(PaperSize.x() * scale, PaperSize.y() * scale), QPageSize::Point));
    layout.setUnits(QPageLayout::Point);
    layout.setMargins(
        QMarginsF(Margins.Left * scale, Margins.Top * scale, Margins.Right * scale, Margins.Bottom * scale));
    layout.setUnits(Measurements == pmInches ? QPageLayout::Inch : QPageLayout::Millimeter);
    printer.setPageLayout(layout);
}

void TPageSetupDialog::copyOut(const QPrinter& printer)
{
    QPageLayout layout = printer.pageLayout();
    layout.setUnits(QPageLayout::Point);
    const double scale = unitsPerPoint();
    const auto distances = [scale](const QMarginsF& m) {
        return TPSRect{rounded(m.left() * scale), rounded(m.top() * scale), rounded(m.right() * scale),
                       rounded(m.bottom() * scale)};
    };
    Margins = distances(layout.margins());
    MinMargins = distances(layout.minimumMargins());
    const QSizeF paper = layout.fullRect().size();
    PaperSize = QPoint(rounded(paper.width() * scale), rounded(paper.height() * scale));
}

// The dialog works on a copy, so cancelling leaves the program's printer as it was.
bool TPageSetupDialog::run()
{
    QPrinter working(QPrinter::HighResolution);
    CopyPrinterSettings(CurrentPrinter(), working);
    copyIn(working);
    QPageSetupDialog dialog(&working, parentWindow());
    applyOptions(dialog, Options);
    if (OnInitPaintPage && OnPaintPage)
        if (QWidget* page = samplePage(dialog))
            page->installEventFilter(new SamplePageHook(*this, working, &dialog));
    dialog.installEventFilter(new Placer(&dialog));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    copyOut(working);
    CopyPrinterSettings(working, CurrentPrinter());
    return true;
}
