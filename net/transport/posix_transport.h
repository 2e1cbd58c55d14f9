#pragma once
// The production transport: a non-blocking POSIX socket whose readiness
// QSocketNotifier reports, names resolved by QHostInfo and services read from
// the system's service database.
#include "net/transport/transport.h"

#include <QObject>

#include <memory>

class QSocketNotifier;

class TrkPosixTransport : public QObject, public TrkTransport {
public:
    TrkPosixTransport();
    ~TrkPosixTransport() override;

    QString LocalHostName() override;
    std::optional<quint16> ServicePort(const QByteArray& service) override;
    void StartLookup(const QString& host) override;
    void CancelLookup() override;
    quint16 StartConnect(const QHostAddress& address, quint16 port) override;
    TrkTransfer Send(const char* data, int size) override;
    TrkTransfer Receive(char* buffer, int size, TrkReceiveMode mode) override;
    void Close() override;

private:
    void ConnectDone(int systemError);
    void BecameWritable();
    void BecameReadable();

    static constexpr int NoSocket = -1;
    static constexpr int NoLookup = -1;
    int socket = NoSocket;
    int lookupId = NoLookup;
    std::unique_ptr<QSocketNotifier> reader;
    std::unique_ptr<QSocketNotifier> writer;
    enum class TPhase { Connecting, Open, Ended };
    TPhase phase = TPhase::Connecting;
};
