#pragma once
// Listing the saved mail and the copies to self, and deleting a message from
// the store listed.
#include "mailbox/MailboxCommands.h"

#include <QObject>

class MailboxListing;
enum class Listing;

class LocalStores : public QObject {
    Q_OBJECT
public:
    LocalStores(MailboxListing& listing, MailboxCommands& commands, QObject* owner);

    const MailboxCommand& savedMailCommand() const { return savedMail; }
    const MailboxCommand& copiesCommand() const { return copies; }
    const MailboxCommand& deleteCommand() const { return deletion; }

private:
    void listStore(Listing store);
    void deleteMessage();
    void showListing(Listing shown);

    MailboxListing& listing;
    MailboxCommand savedMail;
    MailboxCommand copies;
    MailboxCommand deletion;
};
