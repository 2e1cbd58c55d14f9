// TmsPOP: every retrieved message decoded into the message list, and the
// mailbox window's one call.
#include "net/pop3/pop3_client.h"

#include "mail/model/message.h"
#include "net/pop3/seen_ids.h"
#include "toolkit/Streams.h"

TmsPOP::TmsPOP(QObject* owner) : TmsCustomPOP(owner), MessageList(new TmsMessageList(this)) {}

void TmsPOP::MessageReceived(int, TStream& stream)
{
    DecodeIntoList(stream);
}

// The entry joins the list before decoding, so a decoder failure leaves it
// there with what was filled in. A text received in memory stays with it,
// shared, as the bytes the server sent.
void TmsPOP::DecodeIntoList(TStream& stream)
{
    auto* message = new TmsListMessage(MessageList);
    if (const auto* memory = dynamic_cast<const TMemoryStream*>(&stream))
        message->SetReceivedText(memory->Bytes());
    message->LoadFromStream(stream);
}

// A message is deleted only once it is stored: a failure on the way leaves
// it, and every later one, on the server. A refusal for one message leaves
// the session in step, so the rest of the mailbox goes on. A message's id is
// kept once it is stored and before its DELE: the server deletes only at
// QUIT, so a retrieval cut off before it brings stored mail back, and the
// id tells it was stored already.
void TmsPOP::RetrieveAll(TmsAfterRetrieve afterRetrieve)
{
    fetchingOnce = false;
    RunSession([&] {
        TmsSeenIds seen(SeenIdsFile);
        const QHash<int, QByteArray> ids = seen.Kept() ? ListedIds(seen) : QHash<int, QByteArray>();
        fetchingOnce = !ids.isEmpty();
        QList<TRetrieved> retrieved; // waiting to be kept
        for (int index = 0; index < MessageCount; ++index) {
            if (seen.Contains(ids.value(index))) {
                if (afterRetrieve == TmsAfterRetrieve::Delete)
                    Delete(index);
                continue;
            }
            if (Refused(
                    index, [&] { RetrieveMessage(index); }, "was not retrieved and stays on the server"))
                continue;
            retrieved.append({index, ids.value(index)});
            if (retrieved.size() >= KeepGroup)
                Keep(retrieved, afterRetrieve, seen);
        }
        Keep(retrieved, afterRetrieve, seen);
    });
    fetchingOnce = false;
}

void TmsPOP::Keep(QList<TRetrieved>& retrieved, TmsAfterRetrieve afterRetrieve, TmsSeenIds& seen)
{
    if (retrieved.isEmpty())
        return;
    KeepRetrieved();
    QList<QByteArray> ids;
    for (const TRetrieved& message : retrieved)
        ids.append(message.id);
    seen.Add(ids); // one rewrite of the file a group
    for (const TRetrieved& message : std::exchange(retrieved, {}))
        if (afterRetrieve == TmsAfterRetrieve::Delete)
            Delete(message.index);
}

// A refused DELE leaves the message on the server; its id stays kept, so it
// is deleted, not stored, next time.
void TmsPOP::Delete(int index)
{
    Refused(
        index, [&] { DeleteMessage(index); }, "was not deleted and will be retrieved again");
}

// The ids on the server, the ones gone from it forgotten; none when the
// server will not list them, and then every message is fetched. A broken
// listing has closed the session: it ends the retrieval. An empty mailbox
// lists nothing, so it is not asked.
QHash<int, QByteArray> TmsPOP::ListedIds(TmsSeenIds& seen)
{
    if (MessageCount <= 0) {
        seen.KeepOnly({});
        return {};
    }
    try {
        const QHash<int, QByteArray> ids = UniqueIds();
        seen.KeepOnly(ids.values());
        return ids;
    } catch (const EServerError&) {
        if (!Connected())
            throw;
        return {};
    }
}

// True when the server refused the step; the refusal goes to OnMessageError.
bool TmsPOP::Refused(int index, const std::function<void()>& step, const char* outcome)
{
    try {
        step();
        return false;
    } catch (const EServerError& e) {
        const QString message =
            QStringLiteral("Message %1 %2: %3").arg(index + 1).arg(QLatin1String(outcome), e.Message);
        if (OnMessageError)
            OnMessageError(this, index, message);
        return true;
    }
}
