#pragma once
// NetworkManager's D-Bus names and values that the dial-up component uses.
#include <QDBusArgument>
#include <QMap>
#include <QString>
#include <QVariantMap>

namespace NM {
inline const QString Service = QStringLiteral("org.freedesktop.NetworkManager");
inline const QString Path = QStringLiteral("/org/freedesktop/NetworkManager");
inline const QString Manager = QStringLiteral("org.freedesktop.NetworkManager");
inline const QString SettingsPath = QStringLiteral("/org/freedesktop/NetworkManager/Settings");
inline const QString Settings = QStringLiteral("org.freedesktop.NetworkManager.Settings");
inline const QString Profile = QStringLiteral("org.freedesktop.NetworkManager.Settings.Connection");
inline const QString Active = QStringLiteral("org.freedesktop.NetworkManager.Connection.Active");
inline const QString Properties = QStringLiteral("org.freedesktop.DBus.Properties");
inline const QString UnknownConnection = QStringLiteral("org.freedesktop.NetworkManager.UnknownConnection");

// A profile's settings: setting name -> key -> value.
using TSettings = QMap<QString, QVariantMap>;

// An active connection's states.
enum : uint { Activating = 1, Activated = 2, Deactivating = 3, Deactivated = 4 };
enum : uint { ReasonUnknown = 0 };

// The words for a state (empty for one without them), and for the reason an
// activation ended, with the reason's name in NetworkManager.
QString StatusText(uint state, const QString& profile);
QString ReasonName(uint reason);
QString ReasonText(uint reason);
}
