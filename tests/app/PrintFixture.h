#pragma once
// Printing from the main window: a rich document of three pages typed into
// its editor, the print dialog answered with a prepared printer, and what
// poppler's tools read back from the PDF that comes out.
#include "WindowParts.h"

#include "app/MainWindow.h"
#include "toolkit/gui/Dialogs.h"
#include "toolkit/gui/RichEdit.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <functional>

// Three pages of numbered lines, a forced page break before the second and
// third, every fifth word bold. Returns the words in reading order.
inline QStringList FillThreePages(MainWindow& form)
{
    trigger(form, "PlainText1"); // rich text
    auto* editor = partOf<TRichEdit>(form, "RichEdit1");
    editor->Clear();
    QTextCursor cursor(editor->document());
    QStringList words;
    QTextCharFormat plain, bold;
    bold.setFontWeight(QFont::Bold);
    for (int page = 1; page <= 3; ++page)
        for (int line = 1; line <= 12; ++line) {
            if (page > 1 || line > 1) {
                QTextBlockFormat block;
                if (line == 1)
                    block.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
                cursor.insertBlock(block);
            }
            for (int word = 1; word <= 6; ++word) {
                const QString text = QStringLiteral("p%1l%2w%3").arg(page).arg(line).arg(word);
                cursor.insertText(text, word % 5 == 0 ? bold : plain);
                cursor.insertText(QStringLiteral(" "), plain);
                words << text;
            }
        }
    return words;
}

// Answers the print dialog: prepare sets the printer up, as a user's choice would.
inline void AnswerPrintDialog(std::function<void(QPrinter&)> prepare)
{
    TCommonDialog::SetAnswerer([prepare](TCommonDialog& dialog) {
        auto* print = qobject_cast<TPrintDialog*>(&dialog);
        if (!print)
            return false;
        prepare(*print->Printer);
        return true;
    });
}

inline QString ToolOutput(const QString& program, const QStringList& arguments)
{
    QProcess tool;
    tool.start(program, arguments);
    if (!tool.waitForFinished(30000) || tool.exitCode() != 0)
        return {};
    return QString::fromUtf8(tool.readAllStandardOutput());
}

inline QString PdfInfo(const QString& pdf, const QString& field)
{
    const QRegularExpression line(QStringLiteral("^%1:\\s*(.*)$").arg(field), QRegularExpression::MultilineOption);
    return line.match(ToolOutput(QStringLiteral("pdfinfo"), {pdf})).captured(1).trimmed();
}

inline QStringList PdfWords(const QString& pdf)
{
    return ToolOutput(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")})
        .split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
}

// Distance in points of the leftmost word from the paper's left edge.
inline double PdfLeftEdge(const QString& pdf)
{
    const QString boxes = ToolOutput(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    double left = 1e9;
    QRegularExpressionMatchIterator it =
        QRegularExpression(QStringLiteral("<word xMin=\"([0-9.]+)\"")).globalMatch(boxes);
    while (it.hasNext())
        left = std::min(left, it.next().captured(1).toDouble());
    return left;
}
