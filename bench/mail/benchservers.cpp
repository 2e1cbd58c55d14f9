#include "benchservers.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

namespace {

const QString script = QStringLiteral(PV_SOURCE_DIR "/scripts/mailservers");

bool runScript(const QString& command, const QString& dir, QByteArray* output = nullptr)
{
    QProcess process;
    process.start(script, {command, dir});
    const bool ok = process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit
                 && process.exitCode() == 0;
    if (output)
        *output = process.readAllStandardError().trimmed();
    return ok;
}

} // namespace

bool TBenchServers::Start(const QString& name)
{
    // As on a desktop: some environments point OpenSSL at the whole bundle
    // file, which every process would then read (~35 ms) before its first
    // handshake; without them the system's authorities are looked up lazily.
    qunsetenv("SSL_CERT_FILE");
    qunsetenv("SSL_CERT_DIR");
    Dir = QStringLiteral("/tmp/penvale-bench-") + name;
    QByteArray why;
    if (!runScript(QStringLiteral("start"), Dir, &why)) {
        std::printf("%s: skipped, the local mail servers cannot start here (%s)\n", qPrintable(name), why.constData());
        Dir.clear();
        return false;
    }
    return Load(Dir);
}

// With LF ends, as the Maildir keeps them; a leading dot every 40 lines.
qint64 TBenchServers::Deliver(int count, int size) const
{
    const QByteArray line =
        QByteArray("Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod").leftJustified(75, '-');
    static int batch = 0; // names never come back: the server may remember them
    ++batch;
    qint64 total = 0;
    for (int n = 0; n < count; ++n) {
        QByteArray text = "From: Bench <" + Address + ">\nTo: <" + Address + ">\nSubject: Message "
                        + QByteArray::number(n)
                        + "\nMime-Version: 1.0\nContent-Type: text/plain; charset=\"us-ascii\"\n\n";
        for (int i = 0; text.size() < size; ++i)
            text += (i % 40 ? line : "." + line) + '\n';
        const QString path = Maildir + QStringLiteral("/new/%1.bench.P%2B%3").arg(n).arg(getpid()).arg(batch);
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(text);
        file.close();
        if (::chown(QFile::encodeName(path).constData(), 5000, 5000) != 0)
            std::perror("chown");
        total += text.size() + text.count('\n'); // as sent, with CR LF
    }
    return total;
}

TBenchServers::~TBenchServers()
{
    if (!Dir.isEmpty())
        runScript(QStringLiteral("stop"), Dir);
}

namespace {

double cpuSeconds(int who)
{
    rusage usage{};
    ::getrusage(who, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

} // namespace

// The child's CPU time is what the finished children used by the time it is
// reaped, less what they had used before.
TTiming TimedProcess(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    const double cpuBefore = cpuSeconds(RUSAGE_CHILDREN);
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    if (!process.waitForFinished(300000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program), process.readAllStandardError().constData());
        return {};
    }
    const double wall = double(clock.nsecsElapsed()) / 1e9;
    return {wall, cpuSeconds(RUSAGE_CHILDREN) - cpuBefore};
}

TTiming TimedHere(const std::function<bool()>& work)
{
    const double cpuBefore = cpuSeconds(RUSAGE_SELF);
    QElapsedTimer clock;
    clock.start();
    try {
        if (!work())
            return {};
    } catch (const std::exception& e) {
        std::fprintf(stderr, "failed: %s\n", e.what());
        return {};
    }
    const double wall = double(clock.nsecsElapsed()) / 1e9;
    return {wall, cpuSeconds(RUSAGE_SELF) - cpuBefore};
}

double TimedRun(const QString& program, const QStringList& arguments)
{
    return TimedProcess(program, arguments).wall;
}

double PythonSeconds(const QString& code, const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral("/usr/bin/python3"), QStringList{QStringLiteral("-c"), code} + arguments);
    if (!process.waitForFinished(300000) || process.exitCode() != 0) {
        std::fprintf(stderr, "python failed: %s\n", process.readAllStandardError().constData());
        return -1;
    }
    bool ok = false;
    const double seconds = process.readAllStandardOutput().trimmed().toDouble(&ok);
    return ok ? seconds : -1;
}

namespace {

void keepFaster(TTiming& fastest, const std::function<TTiming()>& run, const std::function<void()>& between)
{
    const TTiming timing = run();
    if (between)
        between();
    if (timing.wall > 0 && (fastest.wall < 0 || timing.wall < fastest.wall))
        fastest = timing;
}

} // namespace

TTiming BestOf(int runs, const std::function<TTiming()>& run, const std::function<void()>& between)
{
    TTiming fastest;
    for (int i = 0; i < runs; ++i)
        keepFaster(fastest, run, between);
    return fastest;
}

std::pair<TTiming, TTiming> BestInTurns(int runs, const std::function<TTiming()>& first,
                                        const std::function<TTiming()>& second, const std::function<void()>& between)
{
    std::pair<TTiming, TTiming> fastest;
    for (int i = 0; i < runs; ++i) {
        keepFaster(fastest.first, first, between);
        keepFaster(fastest.second, second, between);
    }
    return fastest;
}

void ReportRun(const char* who, TTiming timing, qint64 bytes, int messages)
{
    if (timing.wall <= 0) {
        std::printf("  %-22s failed\n", who);
        return;
    }
    std::printf("  %-22s %7.3f s wall", who, timing.wall);
    if (timing.cpu >= 0)
        std::printf("  %6.3f s CPU", timing.cpu);
    else
        std::printf("  %12s", "");
    std::printf("  %7.1f MB/s", double(bytes) / 1e6 / timing.wall);
    if (messages > 0)
        std::printf("  %6.0f messages/s", messages / timing.wall);
    std::printf("\n");
}

void ReportRun(const char* who, double seconds, qint64 bytes, int messages)
{
    ReportRun(who, TTiming{seconds, -1}, bytes, messages);
}

void ReportRatio(const char* who, TTiming timing, const char* peer, TTiming peerTiming, double target)
{
    if (timing.wall <= 0 || peerTiming.wall <= 0)
        return;
    std::printf("  %s takes %.2fx the wall time of %s (target <= %.1f)", who, timing.wall / peerTiming.wall, peer,
                target);
    if (timing.cpu >= 0 && peerTiming.cpu > 0)
        std::printf(", %.2fx its CPU time", timing.cpu / peerTiming.cpu);
    std::printf("\n");
}
