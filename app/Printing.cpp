// Printing, page setup and the width of the editor's window.
#include "app/MainWindow.h"

#include "app/PageGeometry.h"
#include "toolkit/gui/Dialogs.h"
#include "toolkit/gui/RichEdit.h"
#include "widgets/CurrentPrinter.h"
#include "widgets/PgSetup.h"

#include <QAction>
#include <QPrinter>
#include <QResizeEvent>
#include <QScreen>
#include <functional>

namespace {
const QString pageSetupJobTitle = QStringLiteral("Brakka Text Editor Document");
const QString defaultJobTitle = QStringLiteral("Brakka Text Processor Document");
constexpr int pageWidth = 770;

// Calls back whenever the watched widget changes size.
class ResizeWatch : public QObject {
public:
    ResizeWatch(QWidget* watched, std::function<void()> resized) : QObject(watched), resized(std::move(resized))
    {
        watched->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Resize)
            resized();
        return false;
    }

private:
    std::function<void()> resized;
};

} // namespace

void MainWindow::createPrintComponents()
{
    PrintDialog1 = new TPrintDialog(this, &CurrentPrinter());
    PrintDialog1->setObjectName(QStringLiteral("PrintDialog1"));
    PageSetupDialog1 = new TPageSetupDialog(this);
    PageSetupDialog1->setObjectName(QStringLiteral("PageSetupDialog1"));
    PageSetupDialog1->Options = poDisableOrientation | poDefaultMinMargins | poShowHelp;
    // The editor also changes size without the window: the column follows it.
    new ResizeWatch(RichEdit1, [this] { SetEditRect(); });
}

// Without a page setup the default margins print: an inch on each side of
// whatever printer was chosen, where a fixed pixel rectangle would shrink the
// column on a printer of high resolution.
void MainWindow::Print1Click()
{
    if (!PrintDialog1->Execute())
        return;
    QPrinter& printer = CurrentPrinter();
    ThousandthsToPixels(PageSetupDialog1->Margins);   // for the printer the dialog chose
    RichEdit1->Print(pageSetupApplied ? pageSetupJobTitle : defaultJobTitle, printer, EdgesToRect(pageRect));
}

void MainWindow::PageSetup1Click()
{
    if (!PageSetupDialog1->Execute())
        return;
    ThousandthsToPixels(PageSetupDialog1->Margins);
    pageSetupApplied = true;
    SetEditRect();
}

void MainWindow::ThousandthsToPixels(const TPSRect& margins)
{
    const PrinterMetrics printer = MetricsOf(CurrentPrinter());
    const QScreen* screen = this->screen();
    const qreal screenDpi = screen ? screen->logicalDotsPerInchX() : 96;
    printerRatio = float(screenDpi) / float(printer.dpiX);
    pageRect = PageRectFromMargins(margins, printer);
}

void MainWindow::SetEditRect()
{
    RichEdit1->SetFormattingRect(EditorTextColumn(pageSetupApplied, pageRect, printerRatio, RichEdit1->size()));
}

void MainWindow::DefaultSize1Click()
{
    resize(defaultWidth, height());
}

void MainWindow::DefaultOnly1Click()
{
    if (DefaultOnly1->isChecked()) {
        DefaultOnly1->setChecked(false);
        UsePageSetupWidth1->setEnabled(true);
        return;
    }
    resize(defaultWidth, height());
    DefaultOnly1->setChecked(true);
    UsePageSetupWidth1->setEnabled(false);
}

void MainWindow::UsePageSetupWidth1Click()
{
    const bool leaving = UsePageSetupWidth1->isChecked();
    for (QAction* item : {DefaultSize1, DefaultOnly1, DefaultWidth1})
        item->setEnabled(leaving);
    UsePageSetupWidth1->setChecked(!leaving);
    PageSetupWidth1->setChecked(!leaving);
    resize(scaled(leaving ? 656 : pageWidth), height());   // once the mode no longer pins the old width
}

// While a width mode is on, only the height follows the user's dragging.
void MainWindow::FormResize()
{
    if (DefaultOnly1->isChecked() && width() != defaultWidth)
        resize(defaultWidth, height());
    if (UsePageSetupWidth1->isChecked() && width() != scaled(pageWidth))
        resize(scaled(pageWidth), height());
    SetEditRect();
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    FormResize();
}
