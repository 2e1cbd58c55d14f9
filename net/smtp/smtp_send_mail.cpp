// One message over an open SMTP session: the envelope, then the encoded text
// staged in a temporary file, then the end of the data; the file is kept as
// the text sent when asked. A text larger than
// the server's SIZE limit is refused before the envelope.
#include "net/smtp/smtp_client.h"

#include "mail/model/message.h"
#include "mail/store/mail_streams.h"
#include "net/session/socket_errors_p.h"

#include <QScopeGuard>

void TmsSMTP::SendMail()
{
    if (!MailMessage)
        RaiseSocketError(SocketError::MessageRequired);
    MailMessage->CheckRequired();
    sentText.reset();
    stream = std::make_unique<TTempFileStream>();
    const auto dropStream = qScopeGuard([this] { stream.reset(); }); // deletes the file
    if (OnPrepare)
        OnPrepare(this);
    MailMessage->SaveToStream(*stream);
    CheckSize();
    SendEnvelope();
    SendData();
    if (SentText == TmsSentText::Keep)
        sentText = std::move(stream); // encoded once: a copy to self is these bytes
    if (OnMailSent)
        OnMailSent(this);
}

std::unique_ptr<TTempFileStream> TmsSMTP::TakeSentText()
{
    return std::move(sentText);
}

void TmsSMTP::SendEnvelope()
{
    if (OnSending)
        OnSending(this);
    const QByteArray& from = MailMessage->Sender().Address();
    if (!from.isEmpty()) {
        const QByteArray size = extensions.size ? " SIZE=" + QByteArray::number(stream->Size()) : QByteArray();
        SendLine("MAIL FROM:<" + from + '>' + size);
        Check2xx(ReadReply());
    }
    for (const TmsAddressList* list : {&MailMessage->Recipients(), &MailMessage->CC(), &MailMessage->BCC()})
        for (qsizetype i = 0; i < list->Count(); ++i)
            SendRecipient(list->Items(i).Address());
    SendLine("DATA");
    if (ReadReply() / 100 != 3)
        RaiseServerError();
}

void TmsSMTP::CheckSize()
{
    const qint64 size = stream->Size();
    if (extensions.sizeLimit > 0 && size > extensions.sizeLimit)
        throw EMessageError(QStringLiteral("The message is %1 bytes; the server accepts at most %2 bytes")
                                .arg(size)
                                .arg(extensions.sizeLimit));
}

void TmsSMTP::SendRecipient(const QByteArray& address)
{
    SendLine("RCPT TO:<" + address + '>');
    if (ReadReply() / 100 == 2)
        return;
    bool proceed = false;
    if (OnAddressRejected)
        OnAddressRejected(this, address, LastReply(), proceed);
    if (!proceed)
        RaiseServerError();
}

// The end-of-data line must start a line of its own; an empty line before it
// when the text already ends with one would add a line to the message.
void TmsSMTP::SendData()
{
    SendStream(*stream);
    const qint64 size = stream->Size();
    char tail[2] = {};
    if (size >= 2) {
        stream->SetPosition(size - 2);
        stream->ReadBuffer(tail, 2);
    }
    if (size > 0 && !(tail[0] == '\r' && tail[1] == '\n'))
        SendLine("");
    SendLine(".");
    Check2xx(ReadReply());
}
