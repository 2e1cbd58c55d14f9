// The main window's editing commands on large documents, each reached as a
// user reaches it: through its menu item or its dialog's button. Beside each
// figure (wall clock and the process's CPU), its floor: the same work on the
// bare document without a window. A format command is timed with the
// view's first paint after it; over a long selection it leaves the rest of
// the layout to the event loop, and the line after it is what that takes.
#include "app/MainWindow.h"
#include "toolkit/gui/Dialogs.h"
#include "toolkit/gui/Prompter.h"
#include "toolkit/gui/RichEdit.h"

#include <QAbstractScrollArea>
#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QApplication>
#include <QScrollBar>
#include <QElapsedTimer>
#include <QSpinBox>
#include <QTextCursor>
#include <QTextDocument>

#include <cstdio>
#include <ctime>
#include <functional>

namespace {

struct Took {
    double wall = 0, cpu = 0;
};

double cpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + now.tv_nsec / 1e9;
}

Took measure(const std::function<void()>& work)
{
    QElapsedTimer timer;
    const double cpuBefore = cpuSeconds();
    timer.start();
    work();
    return {timer.nsecsElapsed() / 1e9, cpuSeconds() - cpuBefore};
}

double seconds(const std::function<void()>& work)
{
    return measure(work).wall;
}

void report(const char* name, Took took, double floor, double target)
{
    std::printf("%-36s %7.3f s  CPU %7.3f s  floor %7.3f s  target < %.2f s  %s\n", name, took.wall, took.cpu, floor,
                target, took.wall < target ? "ok" : "SLOW");
    std::fflush(stdout);
}

void reportLayout(QTextDocument& document)
{
    const Took took = measure([&] { document.documentLayout()->documentSize(); });
    std::printf("  then the rest of its layout        %7.3f s  CPU %7.3f s\n", took.wall, took.cpu);
    std::fflush(stdout);
}

// Paragraphs of words in a few formats, about `chars` characters in all.
void fillRich(TRichEdit& editor, int chars)
{
    QTextCursor cursor(editor.document());
    QTextCharFormat plain, bold;
    bold.setFontWeight(QFont::Bold);
    cursor.beginEditBlock();
    for (int i = 0; editor.document()->characterCount() < chars; ++i) {
        cursor.insertText(QStringLiteral("Paragraph %1 holds some words, ").arg(i), plain);
        cursor.insertText(QStringLiteral("a bold run"), bold);
        cursor.insertText(QStringLiteral(" and the common word the at its end.\n"), plain);
    }
    cursor.endEditBlock();
}

// What the user sees next: the view painted, which lays the text in it out.
void paintView(TRichEdit& editor)
{
    qobject_cast<QAbstractScrollArea*>(editor.view())->viewport()->grab();
}

QAction* action(MainWindow& form, const char* name)
{
    return form.findChild<QAction*>(QString::fromLatin1(name));
}

void formatAndFind(MainWindow& form, TRichEdit& editor)
{
    fillRich(editor, 5000000);
    editor.SetText(editor.Text() + QStringLiteral("needle")); // a word near the end
    QTextDocument bare;
    QTextCursor(&bare).insertText(editor.Text());
    QTextCursor all(&bare);
    all.select(QTextCursor::Document);

    // Select all as Ctrl+A does, leaving the view at the top; with the view
    // at the end, the layout down to it is needed before it can be shown.
    editor.SelectAll();
    qobject_cast<QAbstractScrollArea*>(editor.view())->verticalScrollBar()->setValue(0);
    QTextCharFormat boldFormat;
    boldFormat.setFontWeight(QFont::Bold);
    const double boldFloor = seconds([&] { all.mergeCharFormat(boldFormat); });
    const auto bold = [&] {
        action(form, "Bold1")->trigger();
        paintView(editor);
    };
    report("Bold over the whole document", measure(bold), boldFloor, 1.0);
    reportLayout(*editor.document());
    QTextCharFormat sizeFormat;
    sizeFormat.setFontPointSize(14);
    report("Size over the whole document", measure([&] {
               form.findChild<QSpinBox*>(QStringLiteral("SpinEdit1"))->setValue(14);
               paintView(editor);
           }),
           seconds([&] { all.mergeCharFormat(sizeFormat); }), 1.0);
    reportLayout(*editor.document());
    editor.SelectAll(); // which scrolls to the caret, at the end
    report("Bold off, the view at the end", measure(bold), boldFloor, 1.0);
    reportLayout(*editor.document());

    auto* find = form.findChild<TFindDialog*>(QStringLiteral("FindDialog1"));
    find->FindText = QStringLiteral("needle");
    editor.SetSelStart(0);
    report("Find a word near the end", measure([&] { find->OnFind(); }),
           seconds([&] { bare.find(QStringLiteral("needle")); }), 0.1);
}

void replaceAll(MainWindow& form, TRichEdit& editor)
{
    for (bool plain : {true, false}) {
        if (plain != editor.PlainText())
            action(form, "PlainText1")->trigger();
        editor.SetText(
            QStringLiteral("Some words before the word and after it, at an end of a line of text in a long document.\n")
                .repeated(10000));
        auto* replace = form.findChild<TReplaceDialog*>(QStringLiteral("ReplaceDialog1"));
        replace->FindText = QStringLiteral("the");
        replace->ReplaceText = QStringLiteral("THE");
        replace->Options = TFindDialog::frDown | TFindDialog::frWholeWord | TFindDialog::frReplaceAll;
        editor.SetSelStart(0);
        QTextDocument bareReplace;
        QTextCursor(&bareReplace).insertText(editor.Text());
        report(plain ? "Replace all, 10,000 matches, plain" : "Replace all, 10,000 matches, rich",
               measure([&] { replace->OnReplace(); }), seconds([&] {
                   QTextCursor match = bareReplace.find(QStringLiteral("the"), 0, QTextDocument::FindWholeWords);
                   while (!match.isNull()) {
                       match.insertText(QStringLiteral("THE"));
                       match = bareReplace.find(QStringLiteral("the"), match.position(), QTextDocument::FindWholeWords);
                   }
               }),
               2.0);
    }
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    Prompter::SetAnswerer([](const Prompter::Prompt&) { return int(mrYes); });
    TCommonDialog::SetAnswerer([](TCommonDialog&) { return false; });
    // "format" or "replace" runs only that half.
    const QString only = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    std::printf("Editing commands (5 MB rich document; replace-all on 1 MB)\n");

    MainWindow form;
    form.show();
    action(form, "PlainText1")->trigger();
    auto* editor = form.findChild<TRichEdit*>(QStringLiteral("RichEdit1"));
    if (only != QLatin1String("replace"))
        formatAndFind(form, *editor);
    if (only != QLatin1String("format"))
        replaceAll(form, *editor);
    return 0;
}
