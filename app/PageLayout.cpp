#include "app/PageLayout.h"

#include "app/Commands.h"
#include "app/PageGeometry.h"
#include "toolkit/gui/Dialogs.h"
#include "toolkit/gui/RichEdit.h"
#include "widgets/CurrentPrinter.h"

#include <QAction>
#include <QEvent>
#include <QPrinter>
#include <QScreen>
#include <QWidget>

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

PageLayout::PageLayout(TRichEdit& editor, QWidget& window, ScreenScale scale)
    : QObject(&window), editor(editor), window(window), scale(scale)
{
    commands.pageSetup = newCommand(
        this, "PageSetup1", "Pa&ge Setup", [this] { pageSetup(); }, ctrlKey('G'));
    commands.print = newCommand(
        this, "Print1", "&Print", [this] { printDocument(); }, ctrlKey('P'));
    commands.defaultEditorWidth = newCommand(this, "DefaultSize1", "&Default Editor Width",
                                             [this] { restoreDefaultWidth(); });
    commands.defaultWidthOnly = newCheckCommand(this, "DefaultOnly1", "Default Width &Only",
                                                [this] { toggleDefaultWidthOnly(); });
    commands.usePageSetupWidth = newCheckCommand(this, "UsePageSetupWidth1", "Use &Page Setup Width",
                                                 [this] { togglePageSetupWidth(); });
    commands.popupPageSetupWidth = newCheckCommand(this, "PageSetupWidth1", "Page Setup Width",
                                                   [this] { togglePageSetupWidth(); });
    connect(commands.usePageSetupWidth, &QAction::enabledChanged, commands.popupPageSetupWidth, &QAction::setEnabled);
    commands.popupDefaultWidth = newCommand(this, "DefaultWidth1", "Default Width", [this] { restoreDefaultWidth(); });
    printDialog = new TPrintDialog(&window, &CurrentPrinter());
    printDialog->setObjectName(QStringLiteral("PrintDialog1"));
    pageSetupDialog = new TPageSetupDialog(&window);
    pageSetupDialog->setObjectName(QStringLiteral("PageSetupDialog1"));
    pageSetupDialog->Options = poDisableOrientation | poDefaultMinMargins | poShowHelp;
    // The editor also changes size without the window: the column follows it.
    new ResizeWatch(&editor, [this] { fitTextColumn(); });
}

// Without a page setup the default margins print: an inch on each side of
// whatever printer was chosen, where a fixed pixel rectangle would shrink the
// column on a printer of high resolution.
void PageLayout::printDocument()
{
    if (!printDialog->Execute())
        return;
    QPrinter& printer = CurrentPrinter();
    measurePage(pageSetupDialog->Margins); // for the printer the dialog chose
    editor.Print(pageSetupApplied ? pageSetupJobTitle : defaultJobTitle, printer, EdgesToRect(pageRect));
}

void PageLayout::pageSetup()
{
    if (!pageSetupDialog->Execute())
        return;
    measurePage(pageSetupDialog->Margins);
    pageSetupApplied = true;
    fitTextColumn();
}

void PageLayout::measurePage(const TPSRect& margins)
{
    const PrinterMetrics printer = MetricsOf(CurrentPrinter());
    const QScreen* screen = window.screen();
    const qreal screenDpi = screen ? screen->logicalDotsPerInchX() : 96;
    printerRatio = float(screenDpi) / float(printer.dpiX);
    pageRect = PageRectFromMargins(margins, printer);
}

void PageLayout::fitTextColumn()
{
    editor.SetFormattingRect(EditorTextColumn(pageSetupApplied, pageRect, printerRatio, editor.size()));
}

void PageLayout::restoreDefaultWidth()
{
    window.resize(defaultWidth(), window.height());
}

void PageLayout::toggleDefaultWidthOnly()
{
    if (commands.defaultWidthOnly->isChecked()) {
        commands.defaultWidthOnly->setChecked(false);
        commands.usePageSetupWidth->setEnabled(true);
        return;
    }
    window.resize(defaultWidth(), window.height());
    commands.defaultWidthOnly->setChecked(true);
    commands.usePageSetupWidth->setEnabled(false);
}

void PageLayout::togglePageSetupWidth()
{
    const bool leaving = commands.usePageSetupWidth->isChecked();
    for (QAction* item : {commands.defaultEditorWidth, commands.defaultWidthOnly, commands.popupDefaultWidth})
        item->setEnabled(leaving);
    commands.usePageSetupWidth->setChecked(!leaving);
    commands.popupPageSetupWidth->setChecked(!leaving);
    window.resize(scale.pixels(leaving ? 656 : pageWidth),
                  window.height()); // once the mode no longer pins the old width
}

void PageLayout::windowResized()
{
    if (commands.defaultWidthOnly->isChecked() && window.width() != defaultWidth())
        window.resize(defaultWidth(), window.height());
    if (commands.usePageSetupWidth->isChecked() && window.width() != scale.pixels(pageWidth))
        window.resize(scale.pixels(pageWidth), window.height());
    fitTextColumn();
}
