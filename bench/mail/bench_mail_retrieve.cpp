// Retrieving 200 messages of about 50 KB from the local Dovecot, each beside
// a peer fetching the same: TmsPOP decoding into memory beside curl and
// Python's poplib (target: at least as fast as poplib); pvmail retrieve into
// a mail store beside curl writing a file per message, over plain POP3 and
// over implicit TLS (target: within 1.5x of curl); and the time the TLS
// handshake adds to a session (target: under 50 ms).
#include "benchservers.h"
#include "mail/model/message.h"
#include "net/pop3/pop3_client.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int Runs = 3;
constexpr int StoreRuns = 5; // the runs that write files meet the disk's moods
constexpr int HandshakeRuns = 10;
constexpr int Messages = 200;
constexpr int MessageSize = 50 * 1024;
constexpr char SystemAuthorities[] = "/etc/ssl/certs/ca-certificates.crt"; // OpenSSL's default file here

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

void setUp(TmsPOP& pop, const TBenchServers& servers, TmsSecurity security)
{
    TrkSessionOptions options = pop.Options();
    options.Server = security == TmsSecurity::Tls ? servers.Pop3s : servers.Pop3;
    options.Security = security;
    options.CAFile = servers.CAFile;
    pop.SetOptions(options);
    pop.UserName = QString::fromUtf8(servers.User);
    pop.Password = QString::fromUtf8(servers.Password);
}

TTiming decodedInMemory(const TBenchServers& servers)
{
    TmsPOP pop;
    setUp(pop, servers, TmsSecurity::None);
    return TimedHere([&] {
        pop.RetrieveAll(TmsAfterRetrieve::LeaveOnServer);
        return pop.MessageList->Count() == Messages;
    });
}

// Login, STAT and QUIT: the session without the messages.
TTiming session(const TBenchServers& servers, TmsSecurity security)
{
    TmsPOP pop;
    setUp(pop, servers, security);
    return TimedHere([&] {
        pop.Connect();
        pop.Disconnect();
        return pop.MessageCount == Messages;
    });
}

// Each run into an empty directory, as a first retrieval would find it.
class TStoreRuns {
public:
    TTiming Pvmail(const TBenchServers& servers, TmsSecurity security)
    {
        const QString store = fresh(QStringLiteral("store"));
        QStringList arguments{"retrieve",
                              "--server",
                              security == TmsSecurity::Tls ? servers.Pop3s : servers.Pop3,
                              "--user",
                              QString::fromUtf8(servers.User),
                              "--password-file",
                              passwordFile(servers),
                              "--leave-on-server",
                              "--store",
                              store};
        if (security == TmsSecurity::Tls)
            arguments << "--security"
                      << "tls"
                      << "--ca-file" << servers.CAFile;
        const TTiming timing = TimedProcess(QStringLiteral(PVMAIL_PROGRAM), arguments);
        return count(store, timing);
    }

    // caFile replaces curl's authorities.
    TTiming Curl(const TBenchServers& servers, TmsSecurity security, const QString& caFile)
    {
        const QString files = fresh(QStringLiteral("curl"));
        const QString url = security == TmsSecurity::Tls ? QStringLiteral("pop3s://%1/[1-%2]").arg(servers.Pop3s)
                                                         : QStringLiteral("pop3://%1/[1-%2]").arg(servers.Pop3);
        const TTiming timing = TimedProcess(QStringLiteral("curl"),
                                            {"-s", "-S", "--cacert", caFile, "-u",
                                             QString::fromUtf8(servers.User + ':' + servers.Password),
                                             url.arg(Messages), "-o", files + QStringLiteral("/m#1.eml")});
        return count(files, timing);
    }

    // The system's authorities and the test one, which pvmail trusts: curl
    // then reads as many certificates as pvmail does.
    QString SystemAndTestAuthorities(const TBenchServers& servers)
    {
        const QString path = dir.filePath(QStringLiteral("authorities.pem"));
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        for (const QString& part : {QString::fromLatin1(SystemAuthorities), servers.CAFile}) {
            QFile in(part);
            in.open(QIODevice::ReadOnly);
            file.write(in.readAll());
        }
        return path;
    }

private:
    QString fresh(const QString& name)
    {
        QDir(dir.filePath(name)).removeRecursively();
        QDir(dir.path()).mkdir(name);
        return dir.filePath(name);
    }

    QString passwordFile(const TBenchServers& servers)
    {
        const QString path = dir.filePath(QStringLiteral("password"));
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(servers.Password + '\n');
        return path;
    }

    // A run that stored fewer messages failed.
    static TTiming count(const QString& directory, TTiming timing)
    {
        const int stored = int(QDir(directory).entryList({QStringLiteral("*.eml")}, QDir::Files).size());
        return stored == Messages ? timing : TTiming{};
    }

    QTemporaryDir dir;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    TBenchServers servers;
    if (!servers.Start(QStringLiteral("bench_mail_retrieve")))
        return 0;
    const qint64 size = servers.Deliver(Messages, MessageSize);
    decodedInMemory(servers); // Dovecot builds its index on the first visit

    const QString user = QString::fromUtf8(servers.User + ':' + servers.Password);
    const auto [penvale, curl] = BestInTurns(
        Runs, [&] { return decodedInMemory(servers); },
        [&] {
            return TimedProcess(
                QStringLiteral("curl"),
                {"-s", "-S", "-u", user, QStringLiteral("pop3://%1/[1-%2]").arg(servers.Pop3).arg(Messages)});
        });
    const double python = BestOf(Runs, [&] {
                              return TTiming{PythonSeconds(QString::fromLatin1(poplibScript),
                                                           servers.Pop3.split(u':') << QString::fromUtf8(
                                                               servers.User) << QString::fromUtf8(servers.Password))};
                          }).wall;
    std::printf("bench_mail_retrieve: %d messages, %.1f MB in all, from local Dovecot, best of %d (%d into files)\n",
                Messages, double(size) / 1e6, Runs, StoreRuns);
    std::printf(" into memory:\n");
    ReportRun("TmsPOP+decode", penvale, size, Messages);
    ReportRun("curl", curl, size, Messages);
    ReportRun("python poplib", python, size, Messages);
    if (penvale.wall > 0 && python > 0)
        std::printf("  TmsPOP takes %.2fx poplib's time (target <= 1)\n", penvale.wall / python);

    TStoreRuns stores;
    const auto [pvmail, files] = BestInTurns(
        StoreRuns, [&] { return stores.Pvmail(servers, TmsSecurity::None); },
        [&] { return stores.Curl(servers, TmsSecurity::None, servers.CAFile); });
    std::printf(" over pop3, a file per message:\n");
    ReportRun("pvmail retrieve --store", pvmail, size, Messages);
    ReportRun("curl -o", files, size, Messages);
    ReportRatio("pvmail", pvmail, "curl", files, 1.5);

    const QString authorities = stores.SystemAndTestAuthorities(servers);
    const auto [pvmailTls, filesTls] = BestInTurns(
        StoreRuns, [&] { return stores.Pvmail(servers, TmsSecurity::Tls); },
        [&] { return stores.Curl(servers, TmsSecurity::Tls, authorities); });
    const TTiming filesTestOnly = BestOf(StoreRuns,
                                         [&] { return stores.Curl(servers, TmsSecurity::Tls, servers.CAFile); });
    std::printf(" over pop3s, a file per message (pvmail trusts the system's authorities and the test one):\n");
    ReportRun("pvmail retrieve --store", pvmailTls, size, Messages);
    ReportRun("curl -o, same trust", filesTls, size, Messages);
    ReportRun("curl -o, test CA only", filesTestOnly, size, Messages);
    ReportRatio("pvmail", pvmailTls, "curl (same trust)", filesTls, 1.5);
    ReportRatio("pvmail", pvmailTls, "curl (test CA only)", filesTestOnly, 1.5);

    // The first TLS session of a process also reads the system's authorities.
    const TTiming first = session(servers, TmsSecurity::Tls);
    const auto [plain, secure] = BestInTurns(
        HandshakeRuns, [&] { return session(servers, TmsSecurity::None); },
        [&] { return session(servers, TmsSecurity::Tls); });
    std::printf(" one session (login, STAT, QUIT), best of %d:\n", HandshakeRuns);
    ReportRun("plain", plain, 0);
    ReportRun("TLS", secure, 0);
    ReportRun("TLS, first in process", first, 0);
    const auto added = [&](const char* which, TTiming tls) {
        if (plain.wall > 0 && tls.wall > 0)
            std::printf("  the TLS handshake adds %.1f ms wall, %.1f ms CPU %s (target < 50 ms wall)\n",
                        (tls.wall - plain.wall) * 1e3, (tls.cpu - plain.cpu) * 1e3, which);
    };
    added("to a session", secure);
    added("to the first session of a process", first);
    return 0;
}
