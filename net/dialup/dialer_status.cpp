// The dial progress: an active connection's state signals, and the words
// for its states and for the reasons an activation ends.
#include "net/dialup/dialer.h"

#include "net/dialup/dialer_p.h"

#include <QDBusMessage>
#include <array>

namespace {

struct TReason {
    const char* name;
    const char* text;
};

// NetworkManager's reasons, by number.
constexpr std::array<TReason, 15> Reasons = {{
    {"UNKNOWN", "for an unknown reason"},
    {"NONE", "for no given reason"},
    {"USER_DISCONNECTED", "it was disconnected by a user"},
    {"DEVICE_DISCONNECTED", "its device was disconnected"},
    {"SERVICE_STOPPED", "the VPN service stopped"},
    {"IP_CONFIG_INVALID", "its IP configuration was invalid"},
    {"CONNECT_TIMEOUT", "the connection attempt timed out"},
    {"SERVICE_START_TIMEOUT", "the VPN service did not start in time"},
    {"SERVICE_START_FAILED", "the VPN service failed to start"},
    {"NO_SECRETS", "no password was given"},
    {"LOGIN_FAILED", "the login was refused"},
    {"CONNECTION_REMOVED", "its profile was removed"},
    {"DEPENDENCY_FAILED", "a connection it depends on failed"},
    {"DEVICE_REALIZE_FAILED", "its device could not be created"},
    {"DEVICE_REMOVED", "its device was removed"},
}};

}

QString NM::StatusText(uint state, const QString& profile)
{
    switch (state) {
    case Activating: return QStringLiteral("Connecting %1...").arg(profile);
    case Activated: return QStringLiteral("Connected %1").arg(profile);
    case Deactivating: return QStringLiteral("Disconnecting %1...").arg(profile);
    case Deactivated: return QStringLiteral("Disconnected %1").arg(profile);
    default: return {};
    }
}

QString NM::ReasonName(uint reason)
{
    return QStringLiteral("NM_ACTIVE_CONNECTION_STATE_REASON_")
         + QLatin1String(reason < Reasons.size() ? Reasons[reason].name : Reasons[0].name);
}

QString NM::ReasonText(uint reason)
{
    return QLatin1String(reason < Reasons.size() ? Reasons[reason].text : Reasons[0].text);
}

// Signals already queued when the connection stopped being followed are
// dropped by their path.
void TrkRas::StateChanged(uint state, uint reason, const QDBusMessage& signal)
{
    if (signal.path() == Connection)
        Progress(state, reason);
}

// A connection that ends while it is being dialled fails the dial; one that
// ends once it is up is down (an exception cannot leave through the event
// loop, so LastError tells).
void TrkRas::Progress(uint state, uint reason)
{
    if (state == lastState)
        return;
    lastState = state;
    if (OnStatusChange)
        OnStatusChange(this, NM::StatusText(state, service));
    if (!Connected)
        Connected = state == NM::Activated;
    if (state != NM::Deactivated)
        return;
    LastError = NM::ReasonName(reason);
    lastErrorText = QStringLiteral("The connection %1 ended: %2").arg(service, NM::ReasonText(reason));
    Connected = false;
}
