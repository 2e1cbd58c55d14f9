#include "ScriptedServer.h"

#include <QTcpSocket>
#include <QTimer>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

TScriptedServer::TScriptedServer(const QHostAddress& at)
{
    server.listen(at);
    connect(&server, &QTcpServer::newConnection, this, &TScriptedServer::accept);
}

QString TScriptedServer::Address() const
{
    const QHostAddress at = server.serverAddress();
    const QString host = at.protocol() == QAbstractSocket::IPv6Protocol ? '[' + at.toString() + ']' : at.toString();
    return host + QStringLiteral(":%1").arg(Port());
}

TScriptedServer::~TScriptedServer()
{
    if (peer)
        peer->abort();
}

void TScriptedServer::accept()
{
    QTcpSocket* incoming = server.nextPendingConnection();
    if (peer) {
        failures << QStringLiteral("a second connection");
        incoming->abort();
        return;
    }
    peer = incoming;
    peer->setParent(this);
    connect(peer, &QTcpSocket::readyRead, this, [this] {
        input += peer->readAll();
        run();
    });
    connect(peer, &QTcpSocket::disconnected, this, [this] { peerGone = true; });
    run();
}

void TScriptedServer::run()
{
    while (peer && !paused && next < steps.size() && play(steps[next]))
        ++next;
}

// Plays one step; false when it has to wait for input or time.
bool TScriptedServer::play(const Step& step)
{
    switch (step.kind) {
    case Step::Send:
        peer->write(step.bytes);
        peer->flush();
        return true;
    case Step::Expect: {
        const qsizetype lf = input.indexOf("\r\n");
        if (lf < 0)
            return false;
        const QByteArray line = input.left(lf);
        input.remove(0, lf + 2);
        if (line != step.bytes)
            failures << QStringLiteral("expected \"%1\", got \"%2\"")
                            .arg(QString::fromLatin1(step.bytes), QString::fromLatin1(line));
        return true;
    }
    case Step::Data: {
        const qsizetype end = input.indexOf(step.bytes);
        if (end < 0)
            return false;
        data = input.left(end + step.bytes.size());
        input.remove(0, data.size());
        return true;
    }
    case Step::Pause:
        paused = true;
        QTimer::singleShot(step.ms, this, [this] {
            paused = false;
            ++next;
            run();
        });
        return false;
    case Step::Close: peer->disconnectFromHost(); return true;
    case Step::Reset: {
        const linger hard{1, 0}; // closing with a zero linger sends RST
        ::setsockopt(int(peer->socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
        peer->abort();
        return true;
    }
    }
    return true;
}

quint16 TScriptedServer::ClosedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort(); // closed again when probe goes
}

TBlackHole::TBlackHole() : fd(::socket(AF_INET, SOCK_STREAM, 0))
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), len);
    ::listen(fd, 8);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &len);
    port = ntohs(address.sin_port);
}

TBlackHole::~TBlackHole()
{
    ::close(fd);
}
