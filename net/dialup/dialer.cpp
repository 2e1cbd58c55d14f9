// The dial-up component: its connection to the system bus, the profile list
// and the choice of profile.
#include "net/dialup/dialer.h"

#include "net/dialup/dialer_p.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>

namespace {

// Each component has a bus connection of its own, opened at the address the
// environment gives (as every D-Bus client reads it), so a bus that appears
// or goes away is seen by the next component made.
QString SystemBusAddress()
{
    return qEnvironmentVariable("DBUS_SYSTEM_BUS_ADDRESS", QStringLiteral("unix:path=/var/run/dbus/system_bus_socket"));
}

bool IsDialUp(const NM::TSettings& settings)
{
    static const QStringList kinds = {QStringLiteral("gsm"), QStringLiteral("cdma"), QStringLiteral("pppoe"),
                                      QStringLiteral("vpn")};
    const QString kind = settings.value(QStringLiteral("connection")).value(QStringLiteral("type")).toString();
    if (kind == QLatin1String("bluetooth"))
        return settings.value(kind).value(QStringLiteral("type")).toString() == QLatin1String("dun");
    return kinds.contains(kind);
}

// Mobile broadband (over Bluetooth too) and PPPoE keep the password in their
// own setting; a VPN's secrets belong to its plug-in.
QString SecretSetting(const NM::TSettings& settings)
{
    for (const QString& name : {QStringLiteral("gsm"), QStringLiteral("cdma"), QStringLiteral("pppoe")})
        if (settings.contains(name))
            return name;
    return {};
}

}

TrkRas::TrkRas(QObject* owner)
    : QObject(owner),
      busName(QStringLiteral("penvale-ras-%1").arg(quintptr(this), 0, 16)),
      bus(QDBusConnection::connectToBus(SystemBusAddress(), busName)),
      counter(new TTimeCounter(this))
{
    qDBusRegisterMetaType<NM::TSettings>();
    counter->SetTimeOut(120);
    managerPresent = bus.isConnected() && bus.interface()->isServiceRegistered(NM::Service);
    if (!managerPresent)
        LastError = bus.lastError().isValid() ? bus.lastError().name()
                                              : QStringLiteral("org.freedesktop.DBus.Error.ServiceUnknown");
    RefreshEntries();
}

TrkRas::~TrkRas()
{
    QDBusConnection::disconnectFromBus(busName);
}

// A call to NetworkManager; its error, if any, becomes LastError.
QDBusMessage TrkRas::Call(const QString& path, const QString& interface, const QString& method,
                          const QVariantList& arguments)
{
    QDBusMessage call = QDBusMessage::createMethodCall(NM::Service, path, interface, method);
    call.setArguments(arguments);
    const QDBusMessage reply = bus.call(call);
    const bool failed = reply.type() == QDBusMessage::ErrorMessage;
    LastError = failed ? reply.errorName() : QString();
    lastErrorText = failed ? reply.errorMessage() : QString();
    return reply;
}

QDBusMessage TrkRas::CallOrRaise(const QString& path, const QString& interface, const QString& method,
                                 const QVariantList& arguments)
{
    const QDBusMessage reply = Call(path, interface, method, arguments);
    if (!LastError.isEmpty())
        RaiseLastError();
    return reply;
}

QVariant TrkRas::Property(const QString& path, const QString& interface, const QString& name)
{
    const QDBusMessage reply = CallOrRaise(path, NM::Properties, QStringLiteral("Get"), {interface, name});
    return reply.arguments().value(0).value<QDBusVariant>().variant();
}

void TrkRas::RaiseLastError()
{
    throw ERASError(LastError, lastErrorText.isEmpty() ? QStringLiteral("RAS error %1").arg(LastError) : lastErrorText);
}

void TrkRas::RefreshEntries()
{
    EntryNames.clear();
    entries.clear();
    if (!managerPresent)
        return;
    const QDBusMessage listed = Call(NM::SettingsPath, NM::Settings, QStringLiteral("ListConnections"));
    if (!LastError.isEmpty())
        return;
    QStringList otherNames;
    QList<TEntry> others;
    for (const QDBusObjectPath& profile : qdbus_cast<QList<QDBusObjectPath>>(listed.arguments().value(0))) {
        const QDBusMessage got = Call(profile.path(), NM::Profile, QStringLiteral("GetSettings"));
        if (!LastError.isEmpty())
            continue; // removed meanwhile
        const auto settings = qdbus_cast<NM::TSettings>(got.arguments().value(0));
        const QString id = settings.value(QStringLiteral("connection")).value(QStringLiteral("id")).toString();
        const bool dialUp = IsDialUp(settings);
        (dialUp ? EntryNames : otherNames).append(id);
        (dialUp ? entries : others).append({profile, SecretSetting(settings)});
    }
    EntryNames += otherNames;
    entries += others;
}

qsizetype TrkRas::EntryIndex(const QString& name) const
{
    for (qsizetype i = 0; i < EntryNames.size(); ++i)
        if (EntryNames[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void TrkRas::SetService(const QString& value)
{
    if (value.isEmpty()) {
        service.clear();
    } else if (!RasAvailable()) {
        Notice(QStringLiteral("TrkRas component was unable to detect\nRAS on your system."));
    } else if (Connected) {
        Notice(QStringLiteral("This property can be set only before\nestablishing the connection"));
    } else {
        RefreshEntries();
        if (EntryIndex(value) < 0) {
            Notice(QStringLiteral("Invalid service name"));
            service.clear();
        } else {
            service = value;
        }
    }
}

void TrkRas::Notice(const QString& text)
{
    if (ShowMessage)
        ShowMessage(text);
}

void TrkRas::Reset()
{
    Connection.clear();
    Connected = false;
    Aborted = false;
    counter->ClearExpired();
}
