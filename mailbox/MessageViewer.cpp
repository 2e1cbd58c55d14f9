#include "mailbox/MessageViewer.h"

#include "mail/model/message.h"
#include "mailbox/EditorLink.h"
#include "mailbox/MailRetrieval.h"
#include "mailbox/MailboxListing.h"
#include "mailbox/MessageText.h"
#include "net/smtp/outgoing_headers.h"
#include "toolkit/Exception.h"
#include "toolkit/Streams.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QTreeWidget>

namespace {

const QString downloadedName = QStringLiteral("Downloaded Email Message");
const QString replyMark = QStringLiteral(">");
const QString forwardMark = QStringLiteral("->");

QString fileText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EFOpenError(Errors::FileOpen(path, file.errorString()));
    return QString::fromUtf8(file.readAll());
}

} // namespace

MessageViewer::MessageViewer(MailboxListing& shownListing, const MailRetrieval& serverMail, MailboxCommands& commands,
                             QObject* owner)
    : QObject(owner), listing(shownListing), retrieval(serverMail)
{
    localMessage = new TmsMessage(this);
    localMessage->setObjectName(QStringLiteral("msMessage1"));
    localMessage->SetContentType("text/plain");
    createCommands(commands);
    connect(&listing, &MailboxListing::listingShown, this, &MessageViewer::showListing);
    connect(&retrieval, &MailRetrieval::messagesListed, this, &MessageViewer::enableForServerMail);
    QTreeWidget& list = listing.list();
    connect(&list, &QTreeWidget::itemClicked, this, [run = commands.whenIdle([this] { rowClicked(); })] { run(); });
    connect(&list, &QTreeWidget::itemDoubleClicked, this,
            [run = commands.whenIdle([this] { rowDoubleClicked(); })] { run(); });
}

void MessageViewer::createCommands(MailboxCommands& commands)
{
    const auto viewHandler = [this] { viewMessage(); };
    view.menuItem = commands.menuItem("View1", QStringLiteral("&View Selected Message"),
                                      QStringLiteral("View selected message in document window"), viewHandler);
    view.toolButton = commands.toolButton("ViewButton", QStringLiteral("View selected message in Editor window"),
                                          QStyle::SP_FileDialogContentsView, viewHandler);
    view.contextItem = commands.contextItem("ViewMessage1", QStringLiteral("View Message"),
                                            QStringLiteral("View Selected Message in Editor Window"), view.menuItem,
                                            viewHandler);
    fullHeader.menuItem = commands.menuItem(
        "ViewSelectedMessage1", QStringLiteral("View with Full &Header"),
        QStringLiteral("View the selected saved email message in the document window"), [this] { viewFullHeader(); });
    const auto replyHandler = [this] { answer(replyMark); };
    reply.menuItem = commands.menuItem("Reply1", QStringLiteral("Re&ply to Selected Message"),
                                       QStringLiteral("Compose a reply to the currently selected message"),
                                       replyHandler);
    reply.toolButton = commands.toolButton("ReplyButton", QStringLiteral("Reply to selected message"),
                                           QStyle::SP_ArrowBack, replyHandler);
    reply.contextItem = commands.contextItem("ReplytoMessage1", QStringLiteral("Reply to Message"),
                                             QStringLiteral("Reply to Selected Message"), reply.menuItem, replyHandler);
    const auto forwardHandler = [this] { answer(forwardMark); };
    forward.menuItem = commands.menuItem(
        "Forward1", QStringLiteral("&Forward Selected Message"),
        QStringLiteral("Forward the currently selected message to another email address"), forwardHandler);
    forward.toolButton = commands.toolButton("ForwardButton", QStringLiteral("Forward selected message"),
                                             QStyle::SP_ArrowForward, forwardHandler);
    forward.contextItem = commands.contextItem("ForwardMessage1", QStringLiteral("Forward Message"),
                                               QStringLiteral("Forward Selected Message "), forward.menuItem,
                                               forwardHandler);
    const auto attachmentHandler = [this] { executeAttachment(); };
    attachment.menuItem = commands.menuItem(
        "ExecuteAttachment1", QStringLiteral("E&xecute Attachment"),
        QStringLiteral("Execute attachment to selected email message with associated application"), attachmentHandler);
    attachment.toolButton = commands.toolButton("ExecuteButton", QStringLiteral("Execute attachment"),
                                                QStyle::SP_FileIcon, attachmentHandler);
    attachment.contextItem = commands.contextItem(
        "ExecuteAttachment2", QStringLiteral("Execute Attachment"),
        QStringLiteral("Execute the Attachment to this Message with the Associated Application"), attachment.menuItem,
        attachmentHandler);
    // Nothing is listed yet, so nothing can be acted on.
    for (const MailboxCommand* command : {&view, &reply, &forward, &attachment})
        command->setEnabled(false);
    fullHeader.menuItem->setEnabled(false);
}

// The message of a row: one with a file (a local one, or a server one
// stored on its way) is loaded into localMessage first.
TmsCustomMessage& MessageViewer::messageOfRow(int row)
{
    const QString file = listing.showsLocalStore() ? listing.localFile(row) : retrieval.storedFile(row);
    if (file.isEmpty())
        return retrieval.message(row);
    localMessage->LoadFromFile(file);
    return *localMessage;
}

// The server message as the server sent it, in the scratch file.
QString MessageViewer::writeScratchCopy(int row)
{
    const QString directory = listing.settings().SavedEmail;
    QDir().mkpath(directory);
    const QString path = QDir(directory).filePath(QStringLiteral("email.tmp"));
    const QString stored = retrieval.storedFile(row);
    if (stored.isEmpty()) {
        retrieval.message(row).SaveToFile(path);
        return path;
    }
    TFileStream source(stored, TFileStream::fmOpenRead);
    TFileStream(path, TFileStream::fmCreate).CopyFrom(source, 0);
    return path;
}

void MessageViewer::showSummary(int row, TmsCustomMessage& message)
{
    listing.editor().ShowDocument(SummaryLines(message).join(QLatin1Char('\n')),
                                  listing.showsLocalStore() ? listing.localFile(row)
                                                            : QStringLiteral("Viewing Downloaded Email Message"));
}

void MessageViewer::viewMessage()
{
    const int row = listing.selectedRow();
    if (row >= 0)
        showSummary(row, messageOfRow(row));
}

void MessageViewer::rowDoubleClicked()
{
    if (listing.listedCount() > 0)
        viewMessage();
}

void MessageViewer::rowClicked()
{
    const int row = listing.selectedRow();
    if (row < 0 || row >= listing.listedCount())
        return;
    const qsizetype attachments = messageOfRow(row).Attachments().Count();
    listing.setPanel(2, QStringLiteral("Attachments: %1").arg(attachments));
    attachment.setEnabled(attachments >= 1);
}

void MessageViewer::viewFullHeader()
{
    const int row = listing.selectedRow();
    if (row < 0)
        return;
    TEditorLink& editor = listing.editor();
    if (listing.showsLocalStore())
        editor.ShowDocument(fileText(listing.localFile(row)), listing.localFile(row));
    else
        editor.ShowDocument(fileText(writeScratchCopy(row)), downloadedName);
}

// Reply and forward fill the compose fields and quote the summary view; the
// attachments stay behind. A reply carries the original's ids, to thread.
void MessageViewer::answer(const QString& mark)
{
    const int row = listing.selectedRow();
    if (row < 0)
        return;
    const bool forwarding = mark == forwardMark;
    TmsCustomMessage& message = messageOfRow(row);
    if (!listing.showsLocalStore())
        writeScratchCopy(row);
    TEditorLink& editor = listing.editor();
    editor.StartMessage();
    if (!forwarding) {
        editor.SetRecipient(QString::fromUtf8(message.Sender().Address()));
        const TmsReplyIds ids = ReplyIdsOf(message.Headers());
        editor.SetReplyIds(ids.InReplyTo, ids.References);
    }
    editor.SetSubject(QString::fromUtf8(message.Subject()));
    QStringList lines = Quoted(SummaryLines(message), mark);
    const TMailSettings mail = listing.settings();
    if (forwarding)
        lines << QStringLiteral("Forwarded by: ") + mail.UserName + QLatin1Char(' ') + mail.EmailAddress;
    editor.ShowDocument(lines.join(QLatin1Char('\n')),
                        listing.showsLocalStore() ? listing.localFile(row) : downloadedName);
    if (forwarding)
        editor.FocusRecipient();
}

void MessageViewer::executeAttachment()
{
    const int row = listing.selectedRow();
    if (row < 0)
        return;
    if (listing.showsLocalStore())
        localMessage->Clear();
    messageOfRow(row).ExecuteAttachment(0);
}

void MessageViewer::showListing(Listing shown)
{
    const bool fetched = shown != Listing::Server || listing.listedCount() > 0;
    view.menuItem->setEnabled(fetched);
    view.toolButton->setEnabled(true);
    fullHeader.menuItem->setEnabled(fetched);
    reply.setEnabled(shown != Listing::Copies);
    forward.setEnabled(shown != Listing::Copies);
}

void MessageViewer::enableForServerMail()
{
    for (const MailboxCommand* command : {&view, &fullHeader, &reply, &forward})
        command->menuItem->setEnabled(true);
}
