#pragma once
// The system's transport with one step made to misbehave, or with look-ups
// that answer with chosen addresses, some of which may never answer a connect.
#include "net/transport/posix_transport.h"

class TTestTransport : public TrkPosixTransport {
public:
    enum class TFault { LookupNeverAnswers, ConnectNeverFinishes, NoServiceDatabase };
    explicit TTestTransport(TFault fault) : fault(fault) {}
    // Every name resolves to these, in this order; a connect to a silent one never finishes.
    explicit TTestTransport(QList<QHostAddress> answer, QList<QHostAddress> silent = {})
        : answer(std::move(answer)), silent(std::move(silent))
    {
    }

    void StartLookup(const QString& host) override
    {
        if (fault == TFault::LookupNeverAnswers)
            return;
        if (answer.isEmpty())
            return TrkPosixTransport::StartLookup(host);
        QMetaObject::invokeMethod(
            this, [this] { Events().LookedUp(answer, 0); }, Qt::QueuedConnection);
    }
    quint16 StartConnect(const QHostAddress& address, quint16 port) override
    {
        const bool never = fault == TFault::ConnectNeverFinishes || silent.contains(address);
        return never ? 0 : TrkPosixTransport::StartConnect(address, port);
    }
    std::optional<quint16> ServicePort(const QByteArray& service) override
    {
        return fault == TFault::NoServiceDatabase ? std::nullopt : TrkPosixTransport::ServicePort(service);
    }

private:
    std::optional<TFault> fault;
    QList<QHostAddress> answer;
    QList<QHostAddress> silent;
};
