// Opening and saving large documents in TRichEdit. Without arguments it
// writes the inputs to a temporary folder and runs every case in a child
// process of its own, so each peak memory figure is that case's alone.
// Each case prints beside it the floor: reading the file and decoding it.
#include "toolkit/gui/RichEdit.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <limits>
#include <sys/resource.h>

namespace {

qint64 peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

void writePlain(const QString& fileName, qint64 bytes)
{
    QFile file(fileName);
    file.open(QIODevice::WriteOnly);
    QByteArray block;
    for (int line = 0; block.size() < (1 << 20); ++line)
        block += "Line " + QByteArray::number(line) + ": the quick brown fox jumps over the lazy dog.\n";
    for (qint64 written = 0; written < bytes; written += block.size())
        file.write(block);
}

// Paragraphs with runs in several formats and some non-ASCII text.
void writeRtf(const QString& fileName, qint64 bytes)
{
    QFile file(fileName);
    file.open(QIODevice::WriteOnly);
    file.write(
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 Arial;}{\\f1 Courier New;}}"
        "{\\colortbl;\\red255\\green0\\blue0;}\n");
    QByteArray block;
    for (int i = 0; block.size() < (1 << 20); ++i)
        block += "{\\f0\\fs20 Paragraph " + QByteArray::number(i)
               + " with }{\\b bold}{ and }"
                 "{\\i\\cf1 red italic}{ text, caf\\'e9 \\u1046? and }{\\f1\\ul code}{ to the end.}\\par\n";
    for (qint64 written = 0; written < bytes; written += block.size())
        file.write(block);
    file.write("}\n");
}

void settle()
{
    QCoreApplication::processEvents();
}

// Reading the file and decoding it: what no editor can beat.
double floorSeconds(const QString& fileName)
{
    QElapsedTimer timer;
    timer.start();
    QFile file(fileName);
    file.open(QIODevice::ReadOnly);
    const QString text = QString::fromUtf8(file.readAll());
    return timer.nsecsElapsed() / 1e9;
}

void report(const char* name, double seconds, double floor)
{
    std::printf("%-28s %7.2f s  peak %6lld MB  floor %5.2f s  (x%.1f)\n", name, seconds, peakMegabytes(), floor,
                seconds / floor);
    std::fflush(stdout);
}

int runCase(const QString& kind, const QString& fileName)
{
    const double floor = floorSeconds(fileName);
    TRichEdit edit;
    edit.resize(800, 600);
    edit.show();
    settle();
    edit.SetPlainText(kind == "plain");
    const QByteArray label = QFileInfo(fileName).fileName().toUtf8();
    QElapsedTimer timer;
    timer.start();
    edit.LoadFromFile(fileName);
    if (kind == "plain")
        edit.SetSelStart(std::numeric_limits<int>::max()); // the caret goes to the end
    settle();
    report(("open " + label).constData(), timer.nsecsElapsed() / 1e9, floor);
    if (kind == "rtf") {
        timer.restart();
        edit.SaveToFile(fileName + ".saved");
        report(("save " + label).constData(), timer.nsecsElapsed() / 1e9, floor);
        // Not a target: the rich layout of the whole text, which otherwise runs in idle time.
        timer.restart();
        edit.SetSelStart(std::numeric_limits<int>::max());
        settle();
        report(("caret to end " + label).constData(), timer.nsecsElapsed() / 1e9, floor);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3)
        return runCase(args[1], args[2]);

    QTemporaryDir dir;
    const qint64 mb = 1000 * 1000;
    const QList<std::tuple<QString, QString, qint64>> cases = {
        {"plain", "plain-10MB.txt", 10 * mb},
        {"plain", "plain-100MB.txt", 100 * mb},
        {"rtf", "rich-10MB.rtf", 10 * mb},
    };
    std::printf("TRichEdit open/save (targets: 100 MB plain < 10 s, < 1.5 GB; 10 MB RTF open < 3 s, save < 2 s)\n");
    std::fflush(stdout);
    for (const auto& [kind, name, size] : cases) {
        const QString file = dir.filePath(name);
        kind == "rtf" ? writeRtf(file, size) : writePlain(file, size);
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(app.applicationFilePath(), {kind, file});
        child.waitForFinished(-1);
    }
    return 0;
}
