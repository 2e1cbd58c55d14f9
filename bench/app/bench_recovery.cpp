// The recovery write of a 10 MB rich document while the user types: the
// longest gap between two handled key presses while the copy is written,
// beside the same gap while typing alone (the floor). Keys are pressed every
// few milliseconds through the editor's view, as a fast typist's would be.
#include "app/MainWindow.h"
#include "app/RecoveryFiles.h"
#include "toolkit/gui/Prompter.h"
#include "toolkit/gui/RichEdit.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

constexpr qsizetype documentBytes = 10 * 1000 * 1000;
constexpr int keyIntervalMs = 5;
constexpr int floorPhaseMs = 1000; // shorter than the recovery delay: nothing is written yet
constexpr int longestRunMs = 60 * 1000;
constexpr double targetGapMs = 50;

QString writeRichDocument(const QTemporaryDir& dir)
{
    QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 ";
    const QByteArray line = "A line of ordinary words with one \\b bold\\b0  and one \\i italic\\i0  run.\\par\n";
    rtf.reserve(documentBytes + line.size() + 1);
    while (rtf.size() < documentBytes)
        rtf += line;
    rtf += '}';
    const QString name = dir.filePath("large.rtf");
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly) || file.write(rtf) != rtf.size())
        qFatal("cannot write %s", qPrintable(name));
    return name;
}

struct Gaps {
    double floorMs = 0, writingMs = 0;
    bool written = false;
};

// Presses a key every keyIntervalMs; the phase decides which gap a late press counts in.
Gaps typeThroughTheWrite(MainWindow& window)
{
    auto* view = window.findChild<TRichEdit*>("RichEdit1")->view();
    auto* recovery = window.findChild<RecoveryFiles*>();
    Gaps gaps;
    QElapsedTimer run, sinceLastKey;
    QEventLoop loop;
    QObject::connect(recovery, &RecoveryFiles::written, &loop, [&](const QString& failure) {
        gaps.written = failure.isEmpty();
        if (!gaps.written)
            std::printf("recovery write failed: %s\n", qPrintable(failure));
        loop.quit();
    });
    QTimer keys;
    keys.setInterval(keyIntervalMs);
    QObject::connect(&keys, &QTimer::timeout, [&] {
        const double gap = sinceLastKey.nsecsElapsed() / 1e6;
        double& longest = run.elapsed() < floorPhaseMs ? gaps.floorMs : gaps.writingMs;
        longest = std::max(longest, gap);
        QTest::keyClick(view, Qt::Key_A);
        sinceLastKey.start();
        if (run.elapsed() > longestRunMs)
            loop.quit();
    });
    view->setFocus();
    QTest::keyClick(view, Qt::Key_A); // the first press lays the paragraph out: not a gap
    run.start();
    sinceLastKey.start();
    keys.start();
    loop.exec();
    return gaps;
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.filePath("config").toUtf8());
    qputenv("XDG_STATE_HOME", dir.filePath("state").toUtf8());
    QApplication app(argc, argv);
    Prompter::SetAnswerer([](const Prompter::Prompt&) { return int(mrOk); });
    MainWindow window({writeRichDocument(dir)});
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        qFatal("the window was not shown");
    QTest::qWait(100); // the document opens at first show
    const Gaps gaps = typeThroughTheWrite(window);
    std::printf("%-36s %7.1f ms  floor %7.1f ms  target <= %.0f ms  %s\n", "recovery write, 10 MB rich, key gap",
                gaps.writingMs, gaps.floorMs, targetGapMs,
                gaps.written && gaps.writingMs <= targetGapMs ? "ok" : "SLOW");
    return 0;
}
