#include "toolkit/Registry.h"

#include "toolkit/Exception.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QSettings>
#include <QStandardPaths>

namespace {

// An INI group holding no values does not survive a write, so a created key
// keeps this entry to exist.
const QString keyMarker = QStringLiteral(".key");

constexpr QFile::Permissions ownerOnly = QFile::ReadOwner | QFile::WriteOwner;

QString joinKey(const QString& base, const QString& key)
{
    QString path = key;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const bool absolute = path.startsWith(QLatin1Char('/'));
    QStringList parts = (absolute ? QString() : base).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    parts += path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    return parts.join(QLatin1Char('/'));
}

std::optional<QHash<QString, QString>>& fileTypeTable()
{
    static std::optional<QHash<QString, QString>> table;
    return table;
}

// The store file is created owner-only before anything is written to it,
// so a scrambled password is never readable by others, not even briefly.
void ensurePrivateFile(const QString& fileName)
{
    const QFileInfo info(fileName);
    QDir().mkpath(info.absolutePath());
    QFile file(fileName);
    if (!file.exists() && file.open(QIODevice::WriteOnly))
        file.close();
    if (file.exists() && file.permissions() != ownerOnly)
        file.setPermissions(ownerOnly);
}

} // namespace

QString RegistryFileName()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
         + QStringLiteral("/Penvale/registry.ini");
}

TRegistry::TRegistry(HKEY rootKey) : root(rootKey)
{
    if (root == HKEY_CURRENT_USER)
        store = std::make_unique<QSettings>(RegistryFileName(), QSettings::IniFormat);
}

TRegistry::~TRegistry() = default;

bool TRegistry::OpenKey(const QString& key, bool canCreate)
{
    const QString path = joinKey(current, key);
    if (root == HKEY_CLASSES_ROOT) {
        if (ContentTypeOfExtension(path).isEmpty())
            return false;
        current = path;
        return true;
    }
    if (!KeyExists(QLatin1Char('/') + path)) {
        if (!canCreate)
            return false;
        current = path;
        WriteString(keyMarker, QString());
        return true;
    }
    current = path;
    return true;
}

void TRegistry::CloseKey()
{
    current.clear();
    if (store)
        store->sync();
}

bool TRegistry::KeyExists(const QString& key) const
{
    const QString path = joinKey(current, key);
    if (root == HKEY_CLASSES_ROOT)
        return !ContentTypeOfExtension(path).isEmpty();
    if (path.isEmpty())
        return true;
    const QString prefix = path + QLatin1Char('/');
    const QStringList keys = store->allKeys();
    return std::any_of(keys.begin(), keys.end(), [&](const QString& k) { return k.startsWith(prefix); });
}

bool TRegistry::ValueExists(const QString& name) const
{
    if (root == HKEY_CLASSES_ROOT)
        return name == QLatin1String("Content Type") && !ContentTypeOfExtension(current).isEmpty();
    return store->contains(valuePath(name));
}

QString TRegistry::ReadString(const QString& name) const
{
    if (root == HKEY_CLASSES_ROOT)
        return name == QLatin1String("Content Type") ? ContentTypeOfExtension(current) : QString();
    return store->value(valuePath(name)).toString();
}

int TRegistry::ReadInteger(const QString& name) const
{
    bool ok = false;
    const int value = ReadString(name).toInt(&ok);
    if (!ok)
        throw ERegistryException(QStringLiteral("Invalid data type for '%1'").arg(name));
    return value;
}

void TRegistry::WriteString(const QString& name, const QString& value)
{
    if (root == HKEY_CLASSES_ROOT)
        throw ERegistryException(QStringLiteral("Failed to set data for '%1'").arg(name));
    store->setValue(valuePath(name), value);
    commit(name);
}

void TRegistry::WriteInteger(const QString& name, int value)
{
    WriteString(name, QString::number(value));
}

void TRegistry::DeleteKey(const QString& key)
{
    if (!store)
        return;
    store->remove(joinKey(current, key));
    store->sync();
}

QString TRegistry::valuePath(const QString& name) const
{
    return current.isEmpty() ? name : current + QLatin1Char('/') + name;
}

void TRegistry::commit(const QString& name)
{
    ensurePrivateFile(store->fileName());
    store->sync();
    ensurePrivateFile(store->fileName());
    if (store->status() != QSettings::NoError)
        throw ERegistryException(QStringLiteral("Failed to set data for '%1'").arg(name));
}

TRegIniFile::TRegIniFile(const QString& iniKey) : key(iniKey) {}

QString TRegIniFile::ReadString(const QString& section, const QString& name, const QString& defaultValue) const
{
    TRegistry reg;
    if (!reg.OpenKey(joinKey(key, section), false) || !reg.ValueExists(name))
        return defaultValue;
    return reg.ReadString(name);
}

int TRegIniFile::ReadInteger(const QString& section, const QString& name, int defaultValue) const
{
    bool ok = false;
    const int value = ReadString(section, name, QString()).toInt(&ok);
    return ok ? value : defaultValue;
}

void TRegIniFile::WriteString(const QString& section, const QString& name, const QString& value)
{
    TRegistry reg;
    reg.OpenKey(joinKey(key, section), true);
    reg.WriteString(name, value);
}

void TRegIniFile::WriteInteger(const QString& section, const QString& name, int value)
{
    WriteString(section, name, QString::number(value));
}

void TRegIniFile::EraseSection(const QString& section)
{
    TRegistry reg;
    reg.DeleteKey(QLatin1Char('/') + joinKey(key, section));
}

void SetFileTypeTable(std::optional<QHash<QString, QString>> extensionToContentType)
{
    fileTypeTable() = std::move(extensionToContentType);
}

QString ContentTypeOfExtension(const QString& extension)
{
    QString ext = extension.toLower();
    if (ext.startsWith(QLatin1Char('.')))
        ext.remove(0, 1);
    if (ext.isEmpty())
        return {};
    if (const auto& table = fileTypeTable())
        return table->value(QLatin1Char('.') + ext);
    const QList<QMimeType> types = QMimeDatabase().mimeTypesForFileName(QStringLiteral("x.") + ext);
    return types.isEmpty() ? QString() : types.first().name();
}
