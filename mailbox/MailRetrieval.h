#pragma once
// Retrieving the mail of the POP3 server named in the settings into the list
// (stored on its way when it is deleted from the server or fetched once by
// its id), and saving a listed server message in the saved-mail store.
#include "mailbox/MailboxCommands.h"

#include <QObject>
#include <QStringList>

class MailboxListing;
class TmsCustomMessage;
class TmsStoringPOP;
enum class Listing;

class MailRetrieval : public QObject {
    Q_OBJECT
public:
    MailRetrieval(MailboxListing& listing, MailboxCommands& commands, QObject* owner);

    const MailboxCommand& retrieveCommand() const { return retrieve; }
    const MailboxCommand& saveCommand() const { return save; }

    // A row of the server's listing. A message stored on its way holds only
    // its header fields here: its file (storedFile) holds the message.
    TmsCustomMessage& message(int row) const;
    // The file of the saved-mail store a row was stored in; empty when the
    // message is only in memory.
    QString storedFile(int row) const;
    // Ends a retrieval under way with an error.
    void cancel();

signals:
    // The server's messages are listed and can be acted on.
    void messagesListed();

private:
    void createClient();
    void retrieveMail();
    void saveMessage();
    void messageRetrieved();
    void connectionClosed();
    void showListing(Listing listing);

    MailboxListing& listing;
    TmsStoringPOP* pop3Client = nullptr;
    QStringList skippedMessages; // the server's refusals of single messages in this retrieval
    MailboxCommand retrieve;
    MailboxCommand save;
};
