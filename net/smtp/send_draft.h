#pragma once
// Sending a draft: the one place that fills an outgoing message, hands it to
// the SMTP client and keeps the copy to self. The window and pvmail both
// describe what to send as a TmsDraft; the caller owns the client and the
// message, with their events.
#include "toolkit/StringList.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

class TmsMessage;
class TmsSMTP;

// Texts are UTF-8 bytes; the model cuts them to its length limit.
struct TmsDraft {
    QByteArray SenderAddress;
    QByteArray SenderName;
    QList<QByteArray> To; // each entry one recipient, taken whole
    QList<QByteArray> Cc;
    QList<QByteArray> Bcc;
    QByteArray Subject;
    TStringList Body;
    QStringList AttachmentFiles; // read into the message before any network
    bool ReturnReceipt = false;
    QByteArray ReplyTo; // empty: no "Reply-To: " header
    // The ids of the message answered (ReplyIdsOf()); empty: it answers none.
    QByteArray InReplyTo;
    QByteArray References;
    // Where a sent message is copied as the next "cm<n>.eml", the bytes the
    // server received; none: no copy.
    std::optional<QString> CopiesDirectory;
};

// Fills the message from the draft, sends it through the client and then
// copies it to self. The message is cleared at the end whether or not the
// send succeeds, and any failure passes on to the caller: a copy that cannot
// be made (a counter that is no number, an unwritable directory) fails after
// the message has been sent.
void SendDraft(const TmsDraft& draft, TmsSMTP& smtp, TmsMessage& message);
