#include "mail/model/message.h"

namespace {

QObject* messageListOwner(QObject* owner)
{
    if (!qobject_cast<TmsMessageList*>(owner))
        throw EComponentError(QStringLiteral("Owner of TmsListMessage must be TmsMessageList"));
    return owner;
}

} // namespace

TmsListMessage::TmsListMessage(QObject* owner)
    : TmsMessage(messageListOwner(owner)), list(static_cast<TmsMessageList*>(owner))
{
    list->Add(this);
}

TmsListMessage::~TmsListMessage()
{
    list->Remove(this);
}

TmsMessageList::~TmsMessageList()
{
    Clear();
}

TmsListMessage& TmsMessageList::Items(qsizetype index) const
{
    if (index < 0 || index >= messages.size())
        throw EListError(Errors::ListIndex(index));
    return *messages.at(index);
}

void TmsMessageList::Clear()
{
    while (!messages.isEmpty())
        delete messages.last(); // its destructor takes it off the list
}
