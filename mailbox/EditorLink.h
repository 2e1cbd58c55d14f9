#pragma once
// What the mailbox window asks of the editor window, which opens it: the
// mail settings, the document it fills when viewing or answering, the compose
// fields, and the news that it has closed.
#include "net/session/session.h"

#include <QString>

struct TMailSettings {
    QString POP3Server;
    QString POP3Login;
    QString Password;
    bool KeepMailOnServer = false;
    QString SavedEmail;
    QString CopySelfDir;
    QString UserName;
    QString EmailAddress;
    TmsSecurity POP3Security = TmsSecurity::None;
};

class TEditorLink {
public:
    virtual ~TEditorLink() = default;
    // Read anew for every command, as the settings dialog may change them.
    virtual TMailSettings MailSettings() const = 0;
    // Replaces the editor's text, caret at the start, unmodified, under docName.
    virtual void ShowDocument(const QString& text, const QString& docName) = 0;
    // The editor's Send Email command: empties and shows the compose fields.
    virtual void StartMessage() = 0;
    virtual void SetRecipient(const QString& address) = 0;
    virtual void SetSubject(const QString& subject) = 0;
    // The ids of the message answered, sent with the answer so it threads.
    virtual void SetReplyIds(const QByteArray& inReplyTo, const QByteArray& references) = 0;
    virtual void FocusRecipient() = 0;
    virtual void MailboxClosed() = 0;
};
