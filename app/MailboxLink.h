#pragma once
// What the mailbox window asks of the main window while it is open: the mail
// settings, the document, the compose fields, and its closing.
#include "mailbox/EditorLink.h"

#include <functional>

class ComposePanel;
class DocumentSession;

class MailboxLink : public TEditorLink {
public:
    // closed: runs when the mailbox window has closed.
    MailboxLink(DocumentSession& session, ComposePanel& compose, std::function<void()> closed);

    TMailSettings MailSettings() const override;
    void ShowDocument(const QString& text, const QString& docName) override;
    void StartMessage() override;
    void SetRecipient(const QString& address) override;
    void SetSubject(const QString& subject) override;
    void SetReplyIds(const QByteArray& inReplyTo, const QByteArray& references) override;
    void FocusRecipient() override;
    void MailboxClosed() override;

private:
    DocumentSession& session;
    ComposePanel& compose;
    std::function<void()> closed;
};
