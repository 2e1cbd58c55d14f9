#pragma once
// The user's settings, held in memory for the whole run and read by every
// part of the program by their stored names.
#include "net/session/session.h"

#include <QString>

struct TSettingsStore {
    QString DocMax; // "100MB", "1MB", or empty when never chosen
    QString OpenDir;
    QString SaveDir;
    QString CopySelfDir;
    QString SMTPServer;
    QString EmailAddress;
    QString UserName;
    QString POP3Server;
    QString POP3Login;
    QString Password;              // plain in memory, scrambled when stored
    bool KeepMailOnServer = false; // stored as "DeleteFromServer", which has always meant this
    QString SavedEmail;
    bool ConfirmEmailReceipt = false;
    bool CopySelf = false;

    // How each server is reached. A value absent from a stored setting keeps
    // the plain connection it was made for; a new user starts secure.
    TmsSecurity SMTPSecurity = TmsSecurity::None;
    TmsSecurity POP3Security = TmsSecurity::None;
    bool SMTPAuth = false; // log in to the SMTP server before sending
    QString SMTPLogin;     // empty: the POP3 login

    // Which groups the last confirmed settings dialog asked to keep.
    bool commPermanent = false;
    bool dirPermanent = false;
};

// The one store of the running program.
TSettingsStore& AppSettings();

// Fills the store from the registry key "\Software\Penvale" (or, when that
// key does not exist, from the root of the hive), defaults for what is absent;
// DocMax absent from the key is looked up at the root too. Security and SMTP
// login default to STARTTLS with a login only while the communications group
// has never been stored.
void readRegistryKeys(TSettingsStore& store);
// Writes the groups chosen by dirPermanent and commPermanent.
void writeRegistryKeys(const TSettingsStore& store);
// Writes DocMax on its own: into the key if it exists, else at the root.
void writeDocMax(const QString& value);

QString scramblePassword(const QString& text);
QString unscramblePassword(const QString& text);

// Defaults that stand for "the program directory" on this desktop.
QString DefaultDocumentDir();
QString DefaultSavedEmailDir();
QString DefaultCopySelfDir();
