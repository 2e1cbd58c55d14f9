#pragma once
// Every window test starts from an empty settings store in a folder of its own.
#include "app/SettingsStore.h"
#include "toolkit/Registry.h"

#include <QFile>
#include <QString>

inline void UseFreshSettings(const QString& configDir)
{
    qputenv("XDG_CONFIG_HOME", configDir.toUtf8());
    qputenv("XDG_STATE_HOME", (configDir + QStringLiteral("/state")).toUtf8()); // recovery files
    QFile::remove(RegistryFileName());
    AppSettings() = TSettingsStore();
}
