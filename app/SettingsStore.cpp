#include "app/SettingsStore.h"

#include "toolkit/Registry.h"

#include <QDir>
#include <QStandardPaths>

namespace {

const QString settingsKey = QStringLiteral("\\Software\\Penvale");

constexpr quint16 startKey = 436;
constexpr quint16 multiplier = 24917;
constexpr quint16 increment = 19543;

enum class Direction { Scramble, Unscramble };

// Both directions feed the scrambled character back into the key, which
// makes them inverse to each other.
QString scramble(const QString& text, Direction direction)
{
    QString result(text.size(), Qt::Uninitialized);
    quint16 key = startKey;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const quint16 in = text[i].unicode();
        const quint16 out = in ^ (key >> 8);
        result[i] = QChar(out);
        const quint16 scrambled = direction == Direction::Scramble ? out : in;
        key = quint16((key + scrambled) * multiplier + increment);
    }
    return result;
}

QString readString(const TRegistry& reg, const QString& name, const QString& defaultValue)
{
    return reg.ValueExists(name) ? reg.ReadString(name) : defaultValue;
}

// A stored value that is not a number counts as absent.
bool readBool(const TRegistry& reg, const QString& name)
{
    bool ok = false;
    const int value = readString(reg, name, QString()).toInt(&ok);
    return ok && value != 0;
}

// Stored by name, so the file reads plainly; an unknown name counts as absent.
TmsSecurity readSecurity(const TRegistry& reg, const QString& name, TmsSecurity defaultValue)
{
    return SecurityNamed(readString(reg, name, QString())).value_or(defaultValue);
}

QString xdgDataDir(const QString& leaf)
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Penvale/") + leaf;
}

} // namespace

TSettingsStore& AppSettings()
{
    static TSettingsStore store;
    return store;
}

QString DefaultDocumentDir()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(documents).exists() ? documents : QDir::homePath();
}

QString DefaultSavedEmailDir()
{
    return xdgDataDir(QStringLiteral("mail"));
}

QString DefaultCopySelfDir()
{
    return xdgDataDir(QStringLiteral("sent"));
}

QString scramblePassword(const QString& text)
{
    return scramble(text, Direction::Scramble);
}

QString unscramblePassword(const QString& text)
{
    return scramble(text, Direction::Unscramble);
}

void readRegistryKeys(TSettingsStore& s)
{
    TRegistry reg(HKEY_CURRENT_USER);
    reg.OpenKey(settingsKey, false); // absent: read at the root, where defaults apply
    // DocMax chosen before the key existed stays at the root until chosen again.
    const QString rootDocMax = readString(TRegistry(HKEY_CURRENT_USER), QStringLiteral("DocMax"), QString());
    s.DocMax = readString(reg, QStringLiteral("DocMax"), rootDocMax);
    s.OpenDir = readString(reg, QStringLiteral("OpenDir"), DefaultDocumentDir());
    s.SaveDir = readString(reg, QStringLiteral("SaveDir"), DefaultDocumentDir());
    s.CopySelfDir = readString(reg, QStringLiteral("CopySelfDir"), DefaultCopySelfDir());
    s.SMTPServer = readString(reg, QStringLiteral("SMTPServer"), QString());
    s.EmailAddress = readString(reg, QStringLiteral("EmailAddress"), QString());
    s.UserName = readString(reg, QStringLiteral("UserName"), QString());
    s.POP3Server = readString(reg, QStringLiteral("POP3Server"), QString());
    s.POP3Login = readString(reg, QStringLiteral("POP3Login"), QString());
    s.Password = unscramblePassword(readString(reg, QStringLiteral("Password"), QString()));
    s.KeepMailOnServer = readBool(reg, QStringLiteral("DeleteFromServer"));
    s.SavedEmail = readString(reg, QStringLiteral("SavedEmail"), DefaultSavedEmailDir());
    s.ConfirmEmailReceipt = readBool(reg, QStringLiteral("ConfirmEmailReceipt"));
    s.CopySelf = readBool(reg, QStringLiteral("CopySelf"));
    // Communications stored before these values existed were for plain servers.
    const bool newUser = !reg.ValueExists(QStringLiteral("SMTPServer"));
    const TmsSecurity security = newUser ? TmsSecurity::StartTls : TmsSecurity::None;
    s.SMTPSecurity = readSecurity(reg, QStringLiteral("SMTPSecurity"), security);
    s.POP3Security = readSecurity(reg, QStringLiteral("POP3Security"), security);
    s.SMTPAuth = reg.ValueExists(QStringLiteral("SMTPAuth")) ? readBool(reg, QStringLiteral("SMTPAuth")) : newUser;
    s.SMTPLogin = readString(reg, QStringLiteral("SMTPLogin"), QString());
}

void writeRegistryKeys(const TSettingsStore& s)
{
    if (!s.dirPermanent && !s.commPermanent)
        return;
    TRegistry reg(HKEY_CURRENT_USER);
    reg.OpenKey(settingsKey, true);
    if (s.dirPermanent) {
        reg.WriteString(QStringLiteral("OpenDir"), s.OpenDir);
        reg.WriteString(QStringLiteral("SaveDir"), s.SaveDir);
        reg.WriteString(QStringLiteral("SavedEmail"), s.SavedEmail);
        reg.WriteString(QStringLiteral("CopySelfDir"), s.CopySelfDir);
    }
    if (s.commPermanent) {
        reg.WriteString(QStringLiteral("SMTPServer"), s.SMTPServer);
        reg.WriteString(QStringLiteral("EmailAddress"), s.EmailAddress);
        reg.WriteString(QStringLiteral("UserName"), s.UserName);
        reg.WriteString(QStringLiteral("POP3Server"), s.POP3Server);
        reg.WriteString(QStringLiteral("POP3Login"), s.POP3Login);
        reg.WriteString(QStringLiteral("Password"), scramblePassword(s.Password));
        reg.WriteBool(QStringLiteral("DeleteFromServer"), s.KeepMailOnServer);
        reg.WriteBool(QStringLiteral("ConfirmEmailReceipt"), s.ConfirmEmailReceipt);
        reg.WriteBool(QStringLiteral("CopySelf"), s.CopySelf);
        reg.WriteString(QStringLiteral("SMTPSecurity"), SecurityName(s.SMTPSecurity));
        reg.WriteString(QStringLiteral("POP3Security"), SecurityName(s.POP3Security));
        reg.WriteBool(QStringLiteral("SMTPAuth"), s.SMTPAuth);
        reg.WriteString(QStringLiteral("SMTPLogin"), s.SMTPLogin);
    }
    reg.CloseKey();
}

void writeDocMax(const QString& value)
{
    TRegistry reg(HKEY_CURRENT_USER);
    reg.OpenKey(settingsKey, false);
    reg.WriteString(QStringLiteral("DocMax"), value);
    reg.CloseKey();
}
