#pragma once
// Showing the selected message in the editor window, with its header fields
// summed up or in full, answering and forwarding it, and opening its first
// attachment.
#include "mailbox/MailboxCommands.h"

#include <QObject>

class MailRetrieval;
class MailboxListing;
class TmsCustomMessage;
class TmsMessage;
enum class Listing;

class MessageViewer : public QObject {
    Q_OBJECT
public:
    MessageViewer(MailboxListing& listing, const MailRetrieval& retrieval, MailboxCommands& commands, QObject* owner);

    const MailboxCommand& viewCommand() const { return view; }
    const MailboxCommand& fullHeaderCommand() const { return fullHeader; }
    const MailboxCommand& replyCommand() const { return reply; }
    const MailboxCommand& forwardCommand() const { return forward; }
    const MailboxCommand& attachmentCommand() const { return attachment; }

private:
    void createCommands(MailboxCommands& commands);
    void viewMessage();
    void viewFullHeader();
    void answer(const QString& mark);
    void executeAttachment();
    void rowClicked();
    void rowDoubleClicked();
    void showListing(Listing shown);
    void enableForServerMail();

    void showSummary(int row, TmsCustomMessage& message);
    TmsCustomMessage& messageOfRow(int row);
    QString writeScratchCopy(int row);

    MailboxListing& listing;
    const MailRetrieval& retrieval;
    TmsMessage* localMessage = nullptr; // the last local message shown or answered
    MailboxCommand view;
    MailboxCommand fullHeader;
    MailboxCommand reply;
    MailboxCommand forward;
    MailboxCommand attachment;
};
