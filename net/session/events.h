#pragma once
// Shared pieces of the mail layer: the events its components fire, the
// exceptions of the network layer, and the time-out counter of the waits.
#include "toolkit/Exception.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>

class QTimer;

// Event types. By-reference arguments may be changed by the handler.
using TNotifyEvent = std::function<void(QObject* Sender)>;
using TmsErrorEvent = std::function<void(QObject* Sender, QString& Msg)>;
using TmsProgressEvent = std::function<void(QObject* Sender, int Perc, qint64 Transferred)>;
using TmsLineEvent = std::function<void(QObject* Sender, const QByteArray& Line)>;
using TmsNumNotifyEvent = std::function<void(QObject* Sender, int Num)>;
using TmsNumErrorEvent = std::function<void(QObject* Sender, int Num, const QString& Msg)>;
using TmsAddressRejectedEvent =
    std::function<void(QObject* Sender, const QByteArray& TheAddress, const QByteArray& ServerReply, bool& Proceed)>;

// Exceptions of the network layer. Socket errors keep their 16-bit code.
PV_DECLARE_EXCEPTION(EServerError, Exception)

class ESocketError : public Exception {
public:
    ESocketError(QString message, quint16 code) : Exception(std::move(message)), Code(code) {}
    quint16 Code;
};

class ECanceledError : public Exception {
public:
    ECanceledError() : Exception(Text()) {}
    static QString Text() { return QStringLiteral("Operation has been canceled"); }
};

class ETimedOutError : public Exception {
public:
    ETimedOutError() : Exception(Text()) {}
    static QString Text() { return QStringLiteral("Operation timed out"); }
};

// Counts whole seconds of silence. Ticks are timer events, so they are
// counted only while the thread processes events, as every wait does.
class TTimeCounter : public QObject {
public:
    explicit TTimeCounter(QObject* owner = nullptr);

    void Start(); // restarts the count; a running timer keeps its phase
    void Stop();
    bool Expired() const { return expired; }
    void ClearExpired() { expired = false; } // the owner's Reset
    int TimeOut() const { return timeOut; }
    void SetTimeOut(int seconds) { timeOut = seconds; }
    int Remaining() const { return remaining; }

private:
    void Tick();

    QTimer* timer;
    int remaining = 0;
    int timeOut = 60;
    bool expired = false;
};
