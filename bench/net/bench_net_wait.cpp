// Processor time used while the session waits on a server that never answers:
// the wait must block on the event loop, not poll it. Target: under 1% of one core.
#include "net/session/session.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpServer>

#include <cstdio>
#include <ctime>

namespace {

// The bench plays a protocol client: it reads a line as one would.
class TWaitingSession : public TrkSocket {
public:
    using TrkSocket::ConnectSocket;
    using TrkSocket::ReadLine;
};

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    QTcpServer silent; // accepts and never says a word
    silent.listen(QHostAddress::LocalHost);

    TWaitingSession session;
    TrkSessionOptions options;
    options.Server = QStringLiteral("127.0.0.1:%1").arg(silent.serverPort());
    options.TimeOut = seconds;
    session.SetOptions(options);
    session.Open();
    session.ConnectSocket();

    QElapsedTimer wall;
    wall.start();
    const double cpuBefore = cpuSeconds();
    try {
        QByteArray line;
        session.ReadLine(line);
        std::fprintf(stderr, "unexpected reply\n");
        return 1;
    } catch (const ETimedOutError&) {
    }
    const double cpu = cpuSeconds() - cpuBefore;
    const double elapsed = double(wall.elapsed()) / 1000.0;
    std::printf(
        "bench_net_wait: waited %.2f s on a silent server, processor %.4f s = %.3f%% of one core "
        "(target < 1%%; floor 0%%: a process asleep)\n",
        elapsed, cpu, 100.0 * cpu / elapsed);
    return 0;
}
