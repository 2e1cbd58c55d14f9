#pragma once
// The per-user store of named string and integer values, organised in keys,
// and the file-type table that maps a file extension to its content type.
// The user's store is an INI file under the XDG config directory, readable
// by its owner only; keys are groups, values are entries.
#include <QHash>
#include <QString>
#include <memory>
#include <optional>

class QSettings;

enum class HKEY { CurrentUser, ClassesRoot };
constexpr HKEY HKEY_CURRENT_USER = HKEY::CurrentUser;
constexpr HKEY HKEY_CLASSES_ROOT = HKEY::ClassesRoot;

// Where the per-user store lives.
QString RegistryFileName();

class TRegistry {
public:
    explicit TRegistry(HKEY root = HKEY_CURRENT_USER);
    ~TRegistry();

    HKEY RootKey() const { return root; }
    QString CurrentPath() const { return current; }

    // Without canCreate a missing key fails (false) and the current key stays the root.
    bool OpenKey(const QString& key, bool canCreate);
    void CloseKey();
    bool KeyExists(const QString& key) const;
    bool ValueExists(const QString& name) const;

    QString ReadString(const QString& name) const; // absent: empty
    int ReadInteger(const QString& name) const;    // absent or not a number: ERegistryException
    bool ReadBool(const QString& name) const { return ReadInteger(name) != 0; }
    // Writes at once; a failure raises ERegistryException "Failed to set data for 'name'".
    void WriteString(const QString& name, const QString& value);
    void WriteInteger(const QString& name, int value);
    void WriteBool(const QString& name, bool value) { WriteInteger(name, value ? 1 : 0); }
    void DeleteKey(const QString& key);

private:
    QString valuePath(const QString& name) const;
    void commit(const QString& name);

    HKEY root;
    QString current; // group path of the open key, "" at the root
    std::unique_ptr<QSettings> store;
};

// Ini-style access under one key: a section is a subkey, each entry a value.
class TRegIniFile {
public:
    explicit TRegIniFile(const QString& key);
    QString ReadString(const QString& section, const QString& name, const QString& defaultValue) const;
    int ReadInteger(const QString& section, const QString& name, int defaultValue) const;
    void WriteString(const QString& section, const QString& name, const QString& value);
    void WriteInteger(const QString& section, const QString& name, int value);
    void EraseSection(const QString& section);

private:
    QString key;
};

// The file-type table. Tests install their own table; nullopt restores the
// desktop's MIME database.
void SetFileTypeTable(std::optional<QHash<QString, QString>> extensionToContentType);
QString ContentTypeOfExtension(const QString& extension); // ".txt" -> "text/plain"; "" if unknown
