// Sending a 20 MB message to the local Postfix: TmsSMTP (encoding included)
// beside curl and Python's smtplib sending the same text, plain (targets: at
// least as fast as smtplib, within 2x of curl), and over STARTTLS with AUTH
// on the submission port beside curl doing the same (target: within 1.5x).
#include "benchservers.h"
#include "mail/model/message.h"
#include "net/smtp/smtp_client.h"

#include <QCoreApplication>
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
    const QByteArray line =
        QByteArray("0123456789 The quick brown fox jumps over the lazy dog. ").leftJustified(74, '.');
    for (qint64 size = 0, n = 0; size < TargetSize; size += line.size() + 2, ++n)
        body.append(n % 50 ? line : "." + line); // now and then a line the wire must stuff
}

TTiming penvale(const TBenchServers& servers, TmsMessage& message, TmsSecurity security)
{
    TmsSMTP smtp;
    TrkSessionOptions options = smtp.Options();
    options.Server = security == TmsSecurity::StartTls ? servers.Submission : servers.Smtp;
    options.Security = security;
    options.CAFile = servers.CAFile;
    smtp.SetOptions(options);
    smtp.UserName = QString::fromUtf8(servers.User);
    smtp.Password = QString::fromUtf8(servers.Password);
    smtp.AuthenticationRequired = security == TmsSecurity::StartTls;
    smtp.MailMessage = &message;
    return TimedHere([&] {
        smtp.Send();
        return true;
    });
}

TTiming curl(const TBenchServers& servers, const QString& file, TmsSecurity security)
{
    const QString address = QString::fromUtf8(servers.Address);
    QStringList arguments{"-s", "-S", "--mail-from", address, "--mail-rcpt", address, "-T", file};
    if (security == TmsSecurity::StartTls)
        arguments << "--ssl-reqd"
                  << "--cacert" << servers.CAFile << "-u" << QString::fromUtf8(servers.User + ':' + servers.Password)
                  << QStringLiteral("smtp://%1").arg(servers.Submission);
    else
        arguments << QStringLiteral("smtp://%1").arg(servers.Smtp);
    return TimedProcess(QStringLiteral("curl"), arguments);
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
    const auto [plain, curlPlain] = BestInTurns(
        Runs, [&] { return penvale(servers, message, TmsSecurity::None); },
        [&] { return curl(servers, file, TmsSecurity::None); }, clear);
    const QString address = QString::fromUtf8(servers.Address);
    const double python = BestOf(
                              Runs,
                              [&] {
                                  return TTiming{PythonSeconds(QString::fromLatin1(smtplibScript),
                                                               servers.Smtp.split(u':') << address << address << file)};
                              },
                              clear)
                              .wall;
    const auto [secure, curlSecure] = BestInTurns(
        Runs, [&] { return penvale(servers, message, TmsSecurity::StartTls); },
        [&] { return curl(servers, file, TmsSecurity::StartTls); }, clear);
    std::printf("bench_mail_send: one message of %.1f MB to local Postfix, best of %d\n", double(size) / 1e6, Runs);
    std::printf(" plain SMTP:\n");
    ReportRun("TmsSMTP", plain, size);
    ReportRun("curl", curlPlain, size);
    ReportRun("python smtplib", python, size);
    ReportRatio("TmsSMTP", plain, "curl", curlPlain, 2);
    if (plain.wall > 0 && python > 0)
        std::printf("  TmsSMTP takes %.2fx smtplib's time (target <= 1)\n", plain.wall / python);
    std::printf(" STARTTLS and AUTH on the submission port:\n");
    ReportRun("TmsSMTP", secure, size);
    ReportRun("curl --ssl-reqd", curlSecure, size);
    ReportRatio("TmsSMTP", secure, "curl", curlSecure, 1.5);
    return 0;
}
