// Printing a 200-page rich document to a PDF printer, as Print does: into a
// page rectangle one inch in from every edge. Beside it the floor: Qt's own
// printing of the same document to the same kind of printer.
#include "app/PageGeometry.h"
#include "toolkit/gui/RichEdit.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <cstdio>
#include <sys/resource.h>

namespace {

constexpr int pages = 200;
constexpr int linesPerPage = 30;

qint64 peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

// Each page begins with a forced break and holds lines of mixed formats.
void fill(TRichEdit& editor)
{
    editor.SetPlainText(false);
    QTextCursor cursor(editor.document());
    QTextCharFormat plain, bold, italic;
    bold.setFontWeight(QFont::Bold);
    italic.setFontItalic(true);
    italic.setForeground(Qt::red);
    for (int page = 0; page < pages; ++page)
        for (int line = 0; line < linesPerPage; ++line) {
            QTextBlockFormat block;
            if (line == 0 && page > 0)
                block.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            if (page > 0 || line > 0)
                cursor.insertBlock(block);
            cursor.insertText(QStringLiteral("Page %1 line %2 with ").arg(page + 1).arg(line + 1), plain);
            cursor.insertText(QStringLiteral("bold"), bold);
            cursor.insertText(QStringLiteral(" and "), plain);
            cursor.insertText(QStringLiteral("red italic"), italic);
            cursor.insertText(QStringLiteral(" words, café and Ж, to the end."), plain);
        }
}

QString pdfPages(const QString& pdf)
{
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    if (!info.waitForFinished(30000))
        return QStringLiteral("?");
    const auto match = QRegularExpression(QStringLiteral("Pages:\\s*(\\d+)")).match(QString::fromUtf8(info.readAll()));
    return match.hasMatch() ? match.captured(1) : QStringLiteral("?");
}

// Where Print lays the text before any page setup: an inch in from each edge.
QRect inchMargins(const QPrinter& printer)
{
    return EdgesToRect(PageRectFromMargins({1000, 1000, 1000, 1000}, MetricsOf(printer)));
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    TRichEdit editor;
    fill(editor);

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFileName(dir.filePath(QStringLiteral("print.pdf")));
    QElapsedTimer timer;
    timer.start();
    editor.Print(QStringLiteral("bench"), printer, inchMargins(printer));
    const double seconds = timer.nsecsElapsed() / 1e9;
    const qint64 peak = peakMegabytes();

    QPrinter floorPrinter(QPrinter::HighResolution);
    floorPrinter.setOutputFileName(dir.filePath(QStringLiteral("floor.pdf")));
    timer.restart();
    editor.document()->print(&floorPrinter);
    const double floorSeconds = timer.nsecsElapsed() / 1e9;

    std::printf(
        "print %d-page rich document to PDF: %.2f s, %s pages, peak %lld MB (limits 5 s, 300 MB)"
        "   floor, Qt's own printing: %.2f s\n",
        pages, seconds, qPrintable(pdfPages(printer.outputFileName())), peak, floorSeconds);
    return seconds < 5 && peak < 300 ? 0 : 1;
}
