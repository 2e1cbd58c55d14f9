// Dialling and hanging up: activating a profile and following its active
// connection until it is up, and deactivating only what was activated here.
#include "net/dialup/dialer.h"

#include "net/dialup/dialer_p.h"
#include "toolkit/Pump.h"

#include <QDBusMessage>

bool TrkRas::FindConnection()
{
    if (!managerPresent)
        return false;
    const auto actives = qdbus_cast<QList<QDBusObjectPath>>(
        Property(NM::Path, NM::Manager, QStringLiteral("ActiveConnections")));
    for (const QDBusObjectPath& active : actives) {
        if (active.path() != Connection
            && Property(active.path(), NM::Active, QStringLiteral("Id")).toString() == service
            && Property(active.path(), NM::Active, QStringLiteral("State")).toUInt() == NM::Activated) {
            Connection = active.path();
            return true;
        }
    }
    if (ForceService)
        return false;
    for (const QDBusObjectPath& active : actives) {
        if (Property(active.path(), NM::Active, QStringLiteral("Ip4Config")).value<QDBusObjectPath>().path()
            != QLatin1String("/")) {
            Connection = active.path();
            return true;
        }
    }
    return false;
}

void TrkRas::Dial()
{
    if (FindConnection() || service.isEmpty()) {
        Connected = true;
        Dialed = false;
        return;
    }
    if (!managerPresent)
        return;
    Dialed = true;
    Reset();
    const qsizetype entry = EntryIndex(service);
    if (entry < 0)
        throw ERASError(NM::UnknownConnection, QStringLiteral("No connection profile is named %1").arg(service));
    GivePassword(entries[entry]);
    const QVariant none = QVariant::fromValue(QDBusObjectPath(QStringLiteral("/")));
    const QDBusMessage reply = Call(NM::Path, NM::Manager, QStringLiteral("ActivateConnection"),
                                    {QVariant::fromValue(entries[entry].profile), none, none});
    if (!LastError.isEmpty())
        FailDial();
    Connection = reply.arguments().value(0).value<QDBusObjectPath>().path();
    Follow(true);

    counter->Start();
    WaitUntil([this] { return Connected || !LastError.isEmpty() || Aborted || counter->Expired(); });
    counter->Stop();
    if (!LastError.isEmpty())
        FailDial();
    if (Aborted)
        throw ECanceledError();
    if (counter->Expired()) {
        HangUp(); // an activation left pending would come up later, unasked
        throw ETimedOutError();
    }
}

// A profile that keeps no password of its own is given Password, for this
// activation only unless RemovePassword is false. Profiles whose secrets
// belong to a VPN plug-in or an agent keep asking those.
void TrkRas::GivePassword(const TEntry& entry)
{
    if (entry.secretSetting.isEmpty() || Password.isEmpty())
        return;
    const QString path = entry.profile.path();
    const QDBusMessage secrets = CallOrRaise(path, NM::Profile, QStringLiteral("GetSecrets"), {entry.secretSetting});
    const auto saved = qdbus_cast<NM::TSettings>(secrets.arguments().value(0));
    if (!saved.value(entry.secretSetting).value(QStringLiteral("password")).toString().isEmpty())
        return;
    const QDBusMessage got = CallOrRaise(path, NM::Profile, QStringLiteral("GetSettings"));
    auto settings = qdbus_cast<NM::TSettings>(got.arguments().value(0));
    settings[entry.secretSetting].insert(QStringLiteral("password"), Password);
    CallOrRaise(path, NM::Profile, RemovePassword ? QStringLiteral("UpdateUnsaved") : QStringLiteral("Update"),
                {QVariant::fromValue(settings)});
}

// The active connection's state signals, while one is followed. Its state is
// read once after subscribing, as the signals sent before are gone; a
// connection gone already has ended.
void TrkRas::Follow(bool on)
{
    if (Connection.isEmpty())
        return;
    const char* slot = SLOT(StateChanged(uint, uint, QDBusMessage));
    if (!on) {
        bus.disconnect(NM::Service, Connection, NM::Active, QStringLiteral("StateChanged"), this, slot);
        return;
    }
    lastState = 0;
    bus.connect(NM::Service, Connection, NM::Active, QStringLiteral("StateChanged"), this, slot);
    const QDBusMessage got = Call(Connection, NM::Properties, QStringLiteral("Get"),
                                  {NM::Active, QStringLiteral("State")});
    Progress(LastError.isEmpty() ? got.arguments().value(0).value<QDBusVariant>().variant().toUInt()
                                 : uint(NM::Deactivated),
             NM::ReasonUnknown);
}

// Failures are not checked (the line may be down already) and leave LastError
// as it was.
void TrkRas::HangUp()
{
    if (!managerPresent)
        return;
    if (RasAvailable() && Dialed && !Connection.isEmpty()) {
        Follow(false);
        bus.call(
            QDBusMessage::createMethodCall(NM::Service, NM::Path, NM::Manager, QStringLiteral("DeactivateConnection"))
            << QVariant::fromValue(QDBusObjectPath(Connection)));
        if (OnDisconnected)
            OnDisconnected(this);
    }
    Connected = false;
    Connection.clear();
}

// A dial that failed takes down what it began and raises the failure.
void TrkRas::FailDial()
{
    HangUp();
    RaiseLastError();
}

void TrkRas::Abort()
{
    HangUp();
    Aborted = true;
}
