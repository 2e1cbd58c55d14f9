// Sending a draft through the SMTP client, with the copy to self.
#include "net/smtp/send_draft.h"

#include "mail/model/message.h"
#include "mail/store/mail_store.h"
#include "mail/store/mail_streams.h"
#include "net/smtp/outgoing_headers.h"
#include "net/smtp/smtp_client.h"

#include <QScopeGuard>

namespace {

void addAddresses(TmsAddressList& list, const QList<QByteArray>& addresses)
{
    for (const QByteArray& address : addresses)
        list.AddAddress(address, {});
}

void fillMessage(const TmsDraft& draft, TmsMessage& message)
{
    message.Sender().SetAddress(draft.SenderAddress);
    message.Sender().SetName(draft.SenderName);
    addAddresses(message.Recipients(), draft.To);
    addAddresses(message.CC(), draft.Cc);
    addAddresses(message.BCC(), draft.Bcc);
    message.SetReturnReceipt(draft.ReturnReceipt);
    if (!draft.ReplyTo.isEmpty())
        message.Headers().Add("Reply-To: " + draft.ReplyTo);
    message.Headers().Add("Date: " + DateFieldValue(QDateTime::currentDateTime()));
    message.Headers().Add("Message-ID: " + NewMessageId(draft.SenderAddress));
    if (!draft.InReplyTo.isEmpty())
        message.Headers().Add("In-Reply-To: " + draft.InReplyTo);
    if (!draft.References.isEmpty())
        message.Headers().Add("References: " + draft.References);
    message.SetSubject(draft.Subject);
    message.SetBody(draft.Body);
    for (const QString& file : draft.AttachmentFiles)
        message.Attachments().AddFile(file);
}

} // namespace

void SendDraft(const TmsDraft& draft, TmsSMTP& smtp, TmsMessage& message)
{
    // Every send starts from an empty message and leaves one behind, so no
    // header or recipient of one send reaches the next.
    message.Clear();
    const auto clear = qScopeGuard([&message] { message.Clear(); });
    fillMessage(draft, message);
    smtp.MailMessage = &message;
    smtp.SentText = draft.CopiesDirectory ? TmsSentText::Keep : TmsSentText::Discard;
    smtp.Send();
    const std::unique_ptr<TTempFileStream> sent = smtp.TakeSentText();
    if (draft.CopiesDirectory && sent)
        MailStore::WriteMessageFile(*draft.CopiesDirectory, MailStore::CopiesToSelf, *sent);
}
