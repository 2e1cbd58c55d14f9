#pragma once
// The dial-up component: before a mail server is contacted it brings up a
// connection profile of NetworkManager (on the system D-Bus), unless a
// suitable connection is up already, and afterwards takes down only what it
// brought up itself. Without NetworkManager, or without a system bus, it
// stays inert: no entries, and Dial places no call.
#include "net/session/events.h"
#include "net/dialup/dial_link.h"

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QStringList>

class QDBusMessage;

using TRASNotifyEvent = std::function<void(QObject* Sender, const QString& RASStatusStr)>;

// A failure NetworkManager reported. Name is its D-Bus error name, or for an
// activation that ended the reason NetworkManager gave; the message says it
// in words.
class ERASError : public Exception {
public:
    ERASError(QString name, QString message) : Exception(std::move(message)), Name(std::move(name)) {}
    QString Name;
};

class TrkRas : public QObject, public TrkDialLink {
    Q_OBJECT
public:
    explicit TrkRas(QObject* owner = nullptr);
    ~TrkRas() override;

    // The ids of NetworkManager's connection profiles: the dial-up kinds
    // (mobile broadband, PPPoE, Bluetooth dial-up, VPN) first, then the rest.
    QStringList EntryNames;
    QString Service() const { return service; }
    // Validated against EntryNames (without regard to case); a rejected value
    // goes to ShowMessage.
    void SetService(const QString& value);
    QString Connection; // the active connection's object path; empty when none
    TRASNotifyEvent OnStatusChange;
    TNotifyEvent OnDisconnected;
    bool Dialed = false;        // this component activated the connection itself
    QString Password;           // for a profile that keeps no password; never logged
    bool RemovePassword = true; // true: the password is not written to the profile on disk
    bool ForceService = true;   // false: any active connection with an IP address will do
    QString LastError;          // the last error's name (see ERASError); empty when none
    bool Aborted = false;
    bool Connected = false;
    // Where the owner shows the component's notices (a window's message box);
    // net/ shows none itself.
    std::function<void(const QString& text)> ShowMessage;

    int TimeOut() const { return counter->TimeOut(); } // seconds a dial may take; 120
    void SetTimeOut(int seconds) { counter->SetTimeOut(seconds); }

    void Dial() override;
    void HangUp();
    void Abort() override;
    void RefreshEntries();
    bool RasAvailable() const { return !EntryNames.isEmpty(); }
    bool FindConnection();
    void Reset();

private slots:
    void StateChanged(uint state, uint reason, const QDBusMessage& signal);

private:
    struct TEntry {
        QDBusObjectPath profile;
        QString secretSetting; // the setting holding its password; empty: none we can give
    };

    QDBusMessage Call(const QString& path, const QString& interface, const QString& method,
                      const QVariantList& arguments = {});
    QDBusMessage CallOrRaise(const QString& path, const QString& interface, const QString& method,
                             const QVariantList& arguments = {});
    QVariant Property(const QString& path, const QString& interface, const QString& name);
    qsizetype EntryIndex(const QString& name) const;
    void GivePassword(const TEntry& entry);
    void Follow(bool on);
    void Progress(uint state, uint reason);
    void Notice(const QString& text);
    [[noreturn]] void RaiseLastError();
    [[noreturn]] void FailDial();

    QString busName;
    QDBusConnection bus;
    bool managerPresent = false; // NetworkManager answers on the bus
    QString service;
    QList<TEntry> entries; // beside EntryNames
    TTimeCounter* counter;
    uint lastState = 0; // of the connection followed, so a repeated state says nothing twice
    QString lastErrorText;
};
