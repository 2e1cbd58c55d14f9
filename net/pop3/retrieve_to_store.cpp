// A retrieved message reaches the disk before anything may delete it from
// the server or record it as fetched: RetrieveAll sends a group's DELEs, or
// records its ids, only after KeepRetrieved returns, and a failed write ends
// the session there.
#include "net/pop3/retrieve_to_store.h"

#include "mail/model/message.h"
#include "mail/store/mail_store.h"
#include "mail/store/mail_streams.h"

#include <QScopeGuard>

namespace {

// More than any real header block; a longer one is cut here for the list
// (the file keeps it whole).
constexpr qsizetype MaxHeaderBlock = 1024 * 1024;

// Where the header block's empty line begins, searched from from; -1 when
// the text holds none yet.
qsizetype emptyLineAt(const QByteArray& text, qsizetype from)
{
    if (from == 0 && (text.startsWith("\r\n") || text.startsWith('\n')))
        return 0;
    const qsizetype crlf = text.indexOf("\n\r\n", from);
    const qsizetype lf = text.indexOf("\n\n", from);
    return crlf < 0 ? (lf < 0 ? -1 : lf + 1) : (lf < 0 ? crlf + 1 : std::min(crlf, lf) + 1);
}

// The raw header lines at the start of a message text, read without its
// body, which may be far larger than memory should hold.
TmsHeaders readHeaderBlock(TStream& stream)
{
    QByteArray text;
    QByteArray block(64 * 1024, Qt::Uninitialized);
    qsizetype end = -1;
    while (end < 0 && text.size() < MaxHeaderBlock) {
        const qint64 n = stream.Read(block.data(), block.size());
        if (n <= 0)
            break;
        const qsizetype from = std::max<qsizetype>(0, text.size() - 2);
        text.append(block.constData(), n);
        end = emptyLineAt(text, from);
    }
    TLineStream lines(end < 0 ? text : text.left(end));
    TmsHeaders headers;
    for (QByteArrayView line = lines.NextLine(); !lines.Eof(); line = lines.NextLine())
        headers.append(line.toByteArray());
    return headers;
}

} // namespace

TmsStoringPOP::TmsStoringPOP(QObject* owner) : TmsPOP(owner)
{
    KeepGroup = int(MailStore::TStoreWriter::GroupSize);
}

TmsStoringPOP::~TmsStoringPOP() = default;

void TmsStoringPOP::RetrieveMailbox(TmsAfterRetrieve afterRetrieve, const QString& savedMailDir)
{
    MessageList->Clear();
    stored.clear();
    storing = afterRetrieve == TmsAfterRetrieve::Delete;
    storeDir = savedMailDir;
    // Messages written but not yet deleted when the retrieval fails are
    // dropped: they stay on the server, and storing them would store them
    // twice once they are retrieved again.
    auto done = qScopeGuard([this] {
        receiving = nullptr;
        writer.reset();
        written.clear();
    });
    RetrieveAll(afterRetrieve);
}

TStream* TmsStoringPOP::ReceivingStream()
{
    receiving = nullptr;
    if (!storing && !FetchingOnce())
        return nullptr;
    if (!writer)
        writer = std::make_unique<MailStore::TStoreWriter>(storeDir, MailStore::SavedMail);
    receiving = &writer->BeginText();
    return receiving;
}

void TmsStoringPOP::MessageReceived(int, TStream& stream)
{
    if (&stream == receiving)
        StoreAndList(stream);
    else
        DecodeIntoList(stream);
}

void TmsStoringPOP::StoreAndList(TStream& stream)
{
    receiving = nullptr;
    const qsizetype entry = MessageList->Count();
    written.insert(entry, writer->WriteText());
    auto* message = new TmsListMessage(MessageList);
    message->ReadHeaders(readHeaderBlock(stream));
}

// When the disk refuses, the group's files are gone and its messages stay
// on the server.
void TmsStoringPOP::KeepRetrieved()
{
    if (written.isEmpty())
        return;
    const QHash<qsizetype, QString> group = std::exchange(written, {});
    writer->Sync();
    stored.insert(group);
}
