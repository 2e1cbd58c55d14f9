#include "app/MailboxLink.h"

#include "app/ComposePanel.h"
#include "app/DocumentSession.h"
#include "app/SettingsStore.h"

MailboxLink::MailboxLink(DocumentSession& session, ComposePanel& compose, std::function<void()> closed)
    : session(session), compose(compose), closed(std::move(closed))
{
}

TMailSettings MailboxLink::MailSettings() const
{
    const TSettingsStore& store = AppSettings();
    return {store.POP3Server,  store.POP3Login, store.Password,     store.KeepMailOnServer, store.SavedEmail,
            store.CopySelfDir, store.UserName,  store.EmailAddress, store.POP3Security};
}

void MailboxLink::ShowDocument(const QString& text, const QString& docName)
{
    session.showText(text, docName);
}
void MailboxLink::StartMessage()
{
    compose.startNewMessage();
}
void MailboxLink::SetRecipient(const QString& address)
{
    compose.setRecipient(address);
}
void MailboxLink::SetSubject(const QString& subject)
{
    compose.setSubject(subject);
}
void MailboxLink::SetReplyIds(const QByteArray& inReplyTo, const QByteArray& references)
{
    compose.setReplyIds(inReplyTo, references);
}
void MailboxLink::FocusRecipient()
{
    compose.focusRecipient();
}
void MailboxLink::MailboxClosed()
{
    closed();
}
