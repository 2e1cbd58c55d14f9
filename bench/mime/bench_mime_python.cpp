// The MIME decoder and encoder beside Python's email package on the same
// inputs, made by Python in the set-up: four decode and two encode workloads.
// Both sides are timed in-process (start-up and reading files excluded) and
// as whole processes (start-up, reading and, to encode, decoding the input
// first; ours runs this program with --once). Peak memory is the growth of
// the peak resident size while working, in a process of its own for ours.
#include "mail/mime/mime.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int ourRounds = 5;
constexpr int processRounds = 3;

struct Workload {
    const char* title;
    const char* input; // a file, or a folder of messages
    bool encode;
    double target; // times Python's speed
};

const Workload workloads[] = {
    {"decode 27 MB, 20 MB base64 attachment", "big.eml", false, 10},
    {"decode 5 MB quoted-printable text", "qp.eml", false, 10},
    {"decode mixed+alternative, 50 attachments", "multi.eml", false, 10},
    {"decode 1,000 small messages (2-10 KB)", "small", false, 25},
    {"encode 27 MB, 20 MB base64 attachment", "big.eml", true, 10},
    {"encode 5 MB quoted-printable text", "qp.eml", true, 10},
};

QString script()
{
    return QStringLiteral(PV_BENCH_SOURCE_DIR "/mimebench.py");
}

QByteArray python(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral("/usr/bin/python3"), QStringList{script()} + arguments);
    if (!process.waitForFinished(600000) || process.exitCode() != 0)
        qFatal("mimebench.py failed: %s", process.readAllStandardError().constData());
    return process.readAllStandardOutput();
}

std::vector<QByteArray> readInputs(const QString& path)
{
    QStringList files{path};
    if (QFileInfo(path).isDir()) {
        files.clear();
        for (const QString& name : QDir(path).entryList(QDir::Files, QDir::Name))
            files << path + QLatin1Char('/') + name;
    }
    std::vector<QByteArray> out;
    for (const QString& name : files) {
        QFile file(name);
        if (!file.open(QIODevice::ReadOnly))
            qFatal("cannot read %s", qPrintable(name));
        out.push_back(file.readAll());
    }
    return out;
}

std::vector<std::unique_ptr<TmsMessage>> decodeAll(const std::vector<QByteArray>& texts)
{
    std::vector<std::unique_ptr<TmsMessage>> out;
    for (const QByteArray& text : texts) {
        TMemoryStream stream(text);
        out.push_back(std::make_unique<TmsMessage>());
        out.back()->LoadFromStream(stream);
    }
    return out;
}

// As a mail program reads a folder: one message at a time.
void decodeEach(const std::vector<QByteArray>& texts)
{
    for (const QByteArray& text : texts) {
        TMemoryStream stream(text);
        TmsMessage message;
        message.LoadFromStream(stream);
    }
}

void encodeAll(std::vector<std::unique_ptr<TmsMessage>>& messages)
{
    for (auto& message : messages) {
        TMemoryStream stream;
        message->SaveToStream(stream);
    }
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

qint64 statusKb(const char* field)
{
    QFile file(QStringLiteral("/proc/self/status"));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    for (QByteArray line = file.readLine(); !line.isEmpty(); line = file.readLine())
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').first().toLongLong();
    return 0;
}

// From here on, the peak resident size is the current one; freed memory
// the allocator kept goes back first, so that reusing it counts.
qint64 resetPeakKb()
{
    malloc_trim(0);
    QFile file(QStringLiteral("/proc/self/clear_refs"));
    if (file.open(QIODevice::WriteOnly))
        file.write("5");
    return statusKb("VmRSS:");
}

// Our peak memory for the workload, measured in a child process: for a
// decode, reading the files and decoding them; for an encode, the encoding
// of messages decoded beforehand.
qint64 ourPeakKb(const Workload& work, const QString& path)
{
    int fds[2];
    if (pipe(fds) != 0)
        return -1;
    const pid_t child = fork();
    if (child == 0) {
        qint64 base = resetPeakKb();
        if (work.encode) {
            auto messages = decodeAll(readInputs(path));
            base = resetPeakKb();
            encodeAll(messages);
        } else {
            decodeEach(readInputs(path));
        }
        const qint64 peak = statusKb("VmHWM:") - base;
        (void)!write(fds[1], &peak, sizeof peak);
        _exit(0);
    }
    close(fds[1]);
    qint64 peak = -1;
    if (read(fds[0], &peak, sizeof peak) != sizeof peak)
        peak = -1;
    close(fds[0]);
    waitpid(child, nullptr, 0);
    return peak;
}

double ourSeconds(const Workload& work, const std::vector<QByteArray>& texts)
{
    std::vector<double> times;
    std::vector<std::unique_ptr<TmsMessage>> messages;
    if (work.encode)
        messages = decodeAll(texts);
    for (int r = 0; r < ourRounds; ++r) {
        QElapsedTimer timer;
        timer.start();
        if (work.encode)
            encodeAll(messages);
        else
            decodeEach(texts);
        times.push_back(double(timer.nsecsElapsed()) / 1e9);
    }
    return median(times);
}

// Reads the input and decodes it, and encodes it again for an encode.
int once(const char* kind, const QString& path)
{
    if (qstrcmp(kind, "encode") != 0) {
        decodeEach(readInputs(path));
        return 0;
    }
    auto messages = decodeAll(readInputs(path));
    encodeAll(messages);
    return 0;
}

double ourWholeProcess(const Workload& work, const QString& path)
{
    std::vector<double> times;
    for (int r = 0; r < processRounds; ++r) {
        QElapsedTimer timer;
        timer.start();
        QProcess process;
        process.start(QCoreApplication::applicationFilePath(),
                      {QStringLiteral("--once"), QLatin1String(work.encode ? "encode" : "decode"), path});
        if (!process.waitForFinished(600000) || process.exitCode() != 0)
            qFatal("--once failed");
        times.push_back(double(timer.nsecsElapsed()) / 1e9);
    }
    return median(times);
}

struct PythonFigures {
    double inProcess, wholeProcess;
    qint64 peakKb;
};

PythonFigures pythonFigures(const Workload& work, const QString& path)
{
    std::vector<double> in, whole;
    qint64 peak = 0;
    for (int r = 0; r < processRounds; ++r) {
        QElapsedTimer timer;
        timer.start();
        const QJsonObject result =
            QJsonDocument::fromJson(
                python({QStringLiteral("run"), QLatin1String(work.encode ? "encode" : "decode"), path}))
                .object();
        whole.push_back(double(timer.nsecsElapsed()) / 1e9);
        in.push_back(result[QStringLiteral("seconds")].toDouble());
        peak = std::max(peak, qint64(result[QStringLiteral("peak_kb")].toDouble()));
    }
    return {median(in), median(whole), peak};
}

void run(const Workload& work, const QString& folder)
{
    const QString path = folder + QLatin1Char('/') + QLatin1String(work.input);
    const qint64 ourPeak = ourPeakKb(work, path);
    const std::vector<QByteArray> texts = readInputs(path);
    double mb = 0;
    for (const QByteArray& text : texts)
        mb += double(text.size()) / 1e6;
    const double ours = mb / ourSeconds(work, texts);
    const double oursWhole = mb / ourWholeProcess(work, path);
    const PythonFigures py = pythonFigures(work, path);
    const double pyIn = mb / py.inProcess, pyWhole = mb / py.wholeProcess;
    std::printf(
        "%s, %.1f MB (target %.0fx Python)\n"
        "  in-process    ours %6.0f MB/s  python %5.1f MB/s  %5.1fx %s\n"
        "  whole process ours %6.0f MB/s  python %5.1f MB/s  %5.1fx %s\n"
        "  peak memory   ours %6.1f MB (%.2fx the input)  python %6.1f MB\n",
        work.title, mb, work.target, ours, pyIn, ours / pyIn, ours / pyIn >= work.target ? "met" : "MISSED", oursWhole,
        pyWhole, oursWhole / pyWhole, oursWhole / pyWhole >= work.target ? "met" : "MISSED", double(ourPeak) / 1e3,
        double(ourPeak) / 1e3 / mb, double(py.peakKb) / 1e3);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc == 4 && qstrcmp(argv[1], "--once") == 0)
        return once(argv[2], QString::fromLocal8Bit(argv[3]));
    QTemporaryDir folder;
    if (!folder.isValid())
        qFatal("no temporary folder");
    python({QStringLiteral("make"), folder.path()});
    for (const Workload& work : workloads)
        run(work, folder.path());
    return 0;
}
