#pragma once
// A throw-away certificate authority made with the openssl command in a
// temporary directory, and server certificates for TLS tests: one for
// localhost and 127.0.0.1 signed by it, and three a client must refuse
// (signed by another authority, expired, made out to another host).
// Every certificate shares the one server key.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

class TTestAuthority {
public:
    enum TCertificate { Good, OtherAuthority, Expired, WrongHost };

    TTestAuthority()
    {
        writeConfig();
        ok = dir.isValid() && make();
    }

    // False when openssl is missing or failed: Failure() says why.
    bool Ok() const { return ok; }
    const QString& Failure() const { return failure; }

    // The authority's certificate: trust it to accept Good.
    QString AuthorityFile() const { return path("ca.pem"); }
    QString KeyFile() const { return path("key.pem"); }
    QString CertificateFile(TCertificate which) const
    {
        static const char* const names[] = {"good.pem", "stranger.pem", "expired.pem", "wronghost.pem"};
        return path(names[which]);
    }

private:
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    void writeConfig()
    {
        QFile config(path("ca.cnf"));
        config.open(QIODevice::WriteOnly);
        config.write(
            "[req]\ndistinguished_name = dn\nprompt = no\n[dn]\nCN = unused\n"
            "[authority]\nbasicConstraints = critical,CA:TRUE\nkeyUsage = critical,keyCertSign\n"
            "[ca]\ndefault_ca = signer\n"
            "[signer]\ndatabase = index.txt\nnew_certs_dir = .\nserial = serial\ndefault_md = sha256\n"
            "policy = anything\nunique_subject = no\n[anything]\ncommonName = supplied\n"
            "[local]\nbasicConstraints = CA:FALSE\nsubjectAltName = DNS:localhost,IP:127.0.0.1\n"
            "[elsewhere]\nbasicConstraints = CA:FALSE\nsubjectAltName = DNS:elsewhere.invalid\n");
        QFile(path("index.txt")).open(QIODevice::WriteOnly);
        QFile serial(path("serial"));
        serial.open(QIODevice::WriteOnly);
        serial.write("01\n");
    }

    bool make()
    {
        const QStringList signing = {"ca", "-config", "ca.cnf", "-batch", "-notext", "-in", "server.csr"};
        const QStringList byUs = signing + QStringList{"-cert", "ca.pem", "-keyfile", "ca.key"};
        return run({"ecparam", "-name", "prime256v1", "-genkey", "-noout", "-out", "ca.key"})
            && run({"ecparam", "-name", "prime256v1", "-genkey", "-noout", "-out", "other.key"})
            && run({"ecparam", "-name", "prime256v1", "-genkey", "-noout", "-out", "key.pem"})
            && authority("ca", "Penvale Test Authority") && authority("other", "Another Authority")
            && run({"req", "-config", "ca.cnf", "-new", "-key", "key.pem", "-subj", "/CN=localhost", "-out",
                    "server.csr"})
            && run(byUs + QStringList{"-extensions", "local", "-days", "30", "-out", "good.pem"})
            && run(byUs
                   + QStringList{"-extensions", "local", "-startdate", "20200101000000Z", "-enddate", "20200201000000Z",
                                 "-out", "expired.pem"})
            && run(byUs + QStringList{"-extensions", "elsewhere", "-days", "30", "-out", "wronghost.pem"})
            && run(signing
                   + QStringList{"-cert", "other.pem", "-keyfile", "other.key", "-extensions", "local", "-days", "30",
                                 "-out", "stranger.pem"});
    }

    bool authority(const QString& name, const QString& commonName)
    {
        return run({"req", "-config", "ca.cnf", "-x509", "-new", "-key", name + ".key", "-subj", "/CN=" + commonName,
                    "-extensions", "authority", "-days", "3650", "-out", name + ".pem"});
    }

    bool run(const QStringList& arguments)
    {
        QProcess openssl;
        openssl.setWorkingDirectory(dir.path());
        openssl.start(QStringLiteral("openssl"), arguments);
        if (openssl.waitForFinished(30000) && openssl.exitStatus() == QProcess::NormalExit && openssl.exitCode() == 0)
            return true;
        failure = QStringLiteral("openssl %1: %2%3")
                      .arg(arguments.join(QLatin1Char(' ')), openssl.errorString(),
                           QString::fromLocal8Bit(openssl.readAllStandardError()));
        return false;
    }

    QTemporaryDir dir;
    bool ok = false;
    QString failure;
};
