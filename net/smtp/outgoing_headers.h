#pragma once
// The header fields a message gets as it is sent: the date, its own id, and
// when it answers another, that one's ids, so the reader's program threads
// the answer under the message it answers.
#include "mail/headers/header_fields.h"

#include <QByteArray>
#include <QDateTime>

// "Mon, 07 Dec 2026 22:15:04 +0100": English names, the local offset.
QByteArray DateFieldValue(const QDateTime& when);

// "<random@domain>" on the sender's domain; the machine's name (else
// "localhost") when the address has none.
QByteArray NewMessageId(const QByteArray& senderAddress);

struct TmsReplyIds {
    QByteArray InReplyTo;  // the original's Message-ID; empty: it had none
    QByteArray References; // the original's thread, then its Message-ID
};

// What an answer to the message with these headers carries.
TmsReplyIds ReplyIdsOf(const TmsHeaders& original);
