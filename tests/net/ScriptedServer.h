#pragma once
// A mail server that plays one exact dialogue on 127.0.0.1 (or ::1), for what a real
// server will not do: odd replies, silence, a close in mid-line, a reset.
// It runs on the test's own event loop, so it moves while the client under
// test waits. Failures of the dialogue are collected in Failures().
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QTcpServer>

class QTcpSocket;

class TScriptedServer : public QObject {
public:
    explicit TScriptedServer(const QHostAddress& at = QHostAddress::LocalHost);
    ~TScriptedServer() override;

    quint16 Port() const { return server.serverPort(); }
    // As a client's Server names it: "127.0.0.1:port" or "[::1]:port".
    QString Address() const;

    // The dialogue, played in order from the moment a client connects.
    TScriptedServer& Reply(const QByteArray& line) { return Send(line + "\r\n"); }
    TScriptedServer& Send(const QByteArray& bytes) { return add({Step::Send, bytes, 0}); }
    TScriptedServer& Expect(const QByteArray& line) { return add({Step::Expect, line, 0}); }
    // Reads until the input ends with the marker; the bytes are in Data().
    TScriptedServer& ExpectData(const QByteArray& endMarker) { return add({Step::Data, endMarker, 0}); }
    TScriptedServer& Pause(int ms) { return add({Step::Pause, {}, ms}); }
    TScriptedServer& Close() { return add({Step::Close, {}, 0}); }
    // An SMTP server taking one message for one recipient, MAIL FROM to QUIT.
    TScriptedServer& AcceptMail(const QByteArray& from, const QByteArray& to)
    {
        Expect("MAIL FROM:<" + from + ">").Reply("250 ok").Expect("RCPT TO:<" + to + ">").Reply("250 ok");
        return Expect("DATA")
            .Reply("354 go")
            .ExpectData("\r\n.\r\n")
            .Reply("250 queued")
            .Expect("QUIT")
            .Reply("221 bye");
    }
    TScriptedServer& ResetConnection() { return add({Step::Reset, {}, 0}); }
    // After the last step the server stays connected and silent.

    bool Finished() const { return next == steps.size(); }
    bool PeerGone() const { return peerGone; }
    const QByteArray& Data() const { return data; }
    const QByteArray& Unread() const { return input; }
    const QStringList& Failures() const { return failures; }

    // A port on which nothing listens: connecting is refused.
    static quint16 ClosedPort();

private:
    struct Step {
        enum Kind { Send, Expect, Data, Pause, Close, Reset } kind;
        QByteArray bytes;
        int ms;
    };
    TScriptedServer& add(Step step)
    {
        steps.append(step);
        return *this;
    }
    void accept();
    void run();
    bool play(const Step& step);

    QTcpServer server;
    QTcpSocket* peer = nullptr;
    QList<Step> steps;
    qsizetype next = 0;
    QByteArray input;
    QByteArray data;
    QStringList failures;
    bool paused = false;
    bool peerGone = false;
};

// Accepts connections in the kernel and never reads or writes: a server gone
// silent, and a sink whose buffers fill up.
class TBlackHole {
public:
    TBlackHole();
    ~TBlackHole();
    quint16 Port() const { return port; }
    QString Address() const { return QStringLiteral("127.0.0.1:%1").arg(port); }

private:
    int fd = -1;
    quint16 port = 0;
};
