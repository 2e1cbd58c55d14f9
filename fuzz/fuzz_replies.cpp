// Any bytes as what a mail server answers, read as the session reads them
// off the wire: SMTP replies of one line or many ("250-..." to "250 ..."),
// POP3 status lines each followed by a listing to its "." line or by
// dot-stuffed message data. The first byte chooses the protocol (its value
// modulo 3: '0' SMTP, '1' POP3 with message data, '2' POP3 with listings),
// the second how many bytes arrive at a time (modulo 4: '0' one, '1' seven,
// '2' 512, '3' all). A reply may raise the network layer's
// errors; it never crashes, hangs, leaks or grows memory past the limits.
#include "net/session/session.h"
#include "net/transport/transport.h"
#include "toolkit/Exception.h"
#include "toolkit/Streams.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

// A connection whose server sends the given bytes, a piece at a time as a
// network delivers them, and takes whatever is sent to it.
class TReplayTransport : public TrkTransport {
public:
    TReplayTransport(QByteArray replies, qsizetype piece) : replies(std::move(replies)), piece(piece) {}

    QString LocalHostName() override { return QStringLiteral("client.example"); }
    std::optional<quint16> ServicePort(const QByteArray&) override { return std::nullopt; }
    void StartLookup(const QString&) override {}
    void CancelLookup() override {}
    quint16 StartConnect(const QHostAddress&, quint16) override
    {
        QTimer::singleShot(0, &context, [this] {
            Events().Connected(0);
            arrive();
        });
        return 0;
    }
    TrkTransfer Send(const char*, int size) override { return {TrkTransfer::TStatus::Moved, size, 0}; }
    TrkTransfer Receive(char* buffer, int size, TrkReceiveMode mode) override
    {
        rearm();
        if (position == arrived && arrived < replies.size())
            return {TrkTransfer::TStatus::WouldBlock, 0, 0};
        const int bytes = int(std::min<qsizetype>(size, arrived - position));
        std::memcpy(buffer, replies.constData() + position, size_t(bytes));
        if (mode == TrkReceiveMode::Take)
            position += bytes;
        return {TrkTransfer::TStatus::Moved, bytes, 0}; // 0: the server has closed
    }
    void Close() override {}

private:
    // Readiness is one-shot: the next piece, or the end, is announced after a receive.
    void rearm()
    {
        if (!armed && !ended)
            QTimer::singleShot(0, &context, [this] { arrive(); });
        armed = true;
    }
    void arrive()
    {
        armed = false;
        arrived = std::min(replies.size(), arrived + piece);
        if (position < replies.size())
            return Events().Readable();
        ended = true;
        Events().Ended(0);
    }

    QObject context; // drops what is still queued with the transport
    QByteArray replies;
    qsizetype piece;
    qsizetype position = 0;
    qsizetype arrived = 0;
    bool armed = false;
    bool ended = false;
};

class TReplySession : public TrkSocket {
public:
    explicit TReplySession(std::unique_ptr<TrkTransport> transport) : TrkSocket(std::move(transport), nullptr)
    {
        TrkSessionOptions options = Options();
        options.Server = QStringLiteral("127.0.0.1:25");
        options.TimeOut = 2; // a wait the replies never end fails the run as a hang
        SetOptions(options);
    }

    void Connect()
    {
        Open();
        ConnectSocket();
    }

    void ReadSmtpReplies()
    {
        QList<QByteArray> lines;
        for (int reply = 0; reply < 1000; ++reply)
            ReadReply(lines);
    }

    // A status line, then what an accepting one may bring: a listing
    // (UIDL, LIST) to its "." line, or a message's data (RETR).
    void ReadPop3Replies(bool listings)
    {
        QByteArray line;
        for (int reply = 0; reply < 1000; ++reply) {
            ReadLine(line);
            if (!line.startsWith('+'))
                continue;
            if (!listings) {
                TMemoryStream message;
                ReceiveStream(message, line.mid(4).toLongLong());
                continue;
            }
            for (int entry = 0; entry < 100000 && line != "."; ++entry)
                ReadLine(line);
        }
    }
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication application(*argc, *argv); // the session waits on its event loop
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const qsizetype pieces[] = {1, 7, 512, 65536};
    const QByteArray replies(reinterpret_cast<const char*>(data) + 2, qsizetype(size) - 2);
    TReplySession session(std::make_unique<TReplayTransport>(replies, pieces[data[1] % 4]));
    try {
        session.Connect();
        switch (data[0] % 3) {
        case 0: session.ReadSmtpReplies(); break;
        case 1: session.ReadPop3Replies(false); break;
        default: session.ReadPop3Replies(true); break;
        }
    } catch (const Exception&) {
        // what a broken or hostile server earns: an error naming it
    }
    return 0;
}
