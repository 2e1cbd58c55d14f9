// Sending a 20 MB message to the local Postfix: TmsSMTP (encoding included)
// beside curl and Python's smtplib sending the same text. Targets: at least
// as fast as smtplib, within 2x of curl.
#include "benchservers.h"
#include "mail/msmsg.h"
#include "net/mssmtp.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int Runs = 3;
constexpr qint64 TargetSize = 20 << 20;

const char smtplibScript[] = R"(
import smtplib, sys, time
host, port, sender, rcpt, path = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4], sys.argv[5]
data = open(path, 'rb').read()
start = time.perf_counter()
with smtplib.SMTP(host, port) as s:
    s.sendmail(sender, [rcpt], data)
print(time.perf_counter() - start)
)";

void fill(TmsMessage& message, const QByteArray& address)
{
    message.Sender().SetAddress(address);
    message.Recipients().AddAddress(address, "Bench");
    message.SetSubject("Twenty megabytes");
    TStringList& body = message.Body();
    const QByteArray line = QByteArray("0123456789 The quick brown fox jumps over the lazy dog. ").leftJustified(74, '.');
    for (qint64 size = 0, n = 0; size < TargetSize; size += line.size() + 2, ++n)
        body.append(n % 50 ? line : "." + line);   // now and then a line the wire must stuff
}

double penvaleSeconds(const TBenchServers& servers, TmsMessage& message)
{
    TmsSMTP smtp;
    smtp.Server = servers.Smtp;
    smtp.MailMessage = &message;
    QElapsedTimer clock;
    clock.start();
    smtp.Send();
    return double(clock.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    TBenchServers servers;
    if (!servers.Start(QStringLiteral("bench_mail_send")))
        return 0;
    TmsMessage message;
    fill(message, servers.Address);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("message.eml"));
    message.SaveToFile(file);
    const qint64 size = QFileInfo(file).size();

    const auto clear = [&] { servers.ClearMailbox(); };
    const double penvale = BestSeconds(Runs, [&] { return penvaleSeconds(servers, message); }, clear);
    const QString address = QString::fromUtf8(servers.Address);
    const double curl = BestSeconds(Runs, [&] {
        return TimedRun(QStringLiteral("curl"), {"-s", "-S", QStringLiteral("smtp://%1").arg(servers.Smtp),
                                                 "--mail-from", address, "--mail-rcpt", address, "-T", file});
    }, clear);
    const double python = BestSeconds(Runs, [&] {
        return PythonSeconds(QString::fromLatin1(smtplibScript),
                             servers.Smtp.split(u':') << address << address << file);
    }, clear);
    std::printf("bench_mail_send: one message of %.1f MB to local Postfix, best of %d\n", double(size) / 1e6, Runs);
    ReportRun("TmsSMTP", penvale, size);
    ReportRun("curl", curl, size);
    ReportRun("python smtplib", python, size);
    if (penvale > 0 && curl > 0 && python > 0)
        std::printf("  TmsSMTP takes %.2fx curl's time (target <= 2) and %.2fx smtplib's (target <= 1)\n",
                    penvale / curl, penvale / python);
    return 0;
}
