// Retrieving 200 messages of about 50 KB from the local Dovecot: TmsPOP
// (decoding included) beside curl and Python's poplib fetching the same.
// Target: at least as fast as poplib.
#include "benchservers.h"
#include "mail/msmsg.h"
#include "net/mspop3.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

namespace {

constexpr int Runs = 3;
constexpr int Messages = 200;
constexpr int MessageSize = 50 * 1024;

const char poplibScript[] = R"(
import poplib, sys, time
host, port, user, password = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4]
start = time.perf_counter()
p = poplib.POP3(host, port)
p.user(user)
p.pass_(password)
count = p.stat()[0]
for i in range(1, count + 1):
    p.retr(i)
p.quit()
print(time.perf_counter() - start)
)";

double penvaleSeconds(const TBenchServers& servers)
{
    TmsPOP pop;
    pop.Server = servers.Pop3;
    pop.UserName = QString::fromUtf8(servers.User);
    pop.Password = QString::fromUtf8(servers.Password);
    QElapsedTimer clock;
    clock.start();
    pop.RetrieveAll(TmsAfterRetrieve::LeaveOnServer);
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    return pop.MessageList->Count() == Messages ? seconds : -1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    TBenchServers servers;
    if (!servers.Start(QStringLiteral("bench_mail_retrieve")))
        return 0;
    const qint64 size = servers.Deliver(Messages, MessageSize);
    penvaleSeconds(servers);   // Dovecot builds its index on the first visit

    const double penvale = BestSeconds(Runs, [&] { return penvaleSeconds(servers); });
    const QString user = QString::fromUtf8(servers.User + ':' + servers.Password);
    const double curl = BestSeconds(Runs, [&] {
        return TimedRun(QStringLiteral("curl"), {"-s", "-S", "-u", user,
                                                 QStringLiteral("pop3://%1/[1-%2]").arg(servers.Pop3).arg(Messages)});
    });
    const double python = BestSeconds(Runs, [&] {
        return PythonSeconds(QString::fromLatin1(poplibScript),
                             servers.Pop3.split(u':')
                                 << QString::fromUtf8(servers.User) << QString::fromUtf8(servers.Password));
    });
    std::printf("bench_mail_retrieve: %d messages, %.1f MB in all, from local Dovecot, best of %d\n", Messages,
                double(size) / 1e6, Runs);
    ReportRun("TmsPOP+decode", penvale, size, Messages);
    ReportRun("curl", curl, size, Messages);
    ReportRun("python poplib", python, size, Messages);
    if (penvale > 0 && python > 0)
        std::printf("  TmsPOP takes %.2fx poplib's time (target <= 1)\n", penvale / python);
    return 0;
}
