#pragma once
// Helpers of the MIME tests: message text from lines, boundaries made
// comparable, and messages saved and loaded through memory.
#include "mail/mime/mime.h"

#include <QRegularExpression>

// Lines each ended by CR LF.
inline QByteArray crlf(std::initializer_list<const char*> lines)
{
    QByteArray text;
    for (const char* line : lines)
        text += QByteArray(line) + "\r\n";
    return text;
}

// The drawn boundaries replaced by B1, B2 in the order they are declared.
inline QByteArray named(QByteArray text)
{
    static const QRegularExpression declared(QStringLiteral("boundary=\"([0-8]{8})\""));
    auto it = declared.globalMatch(QString::fromLatin1(text));
    for (int n = 1; it.hasNext(); ++n)
        text.replace(it.next().captured(1).toLatin1(), "B" + QByteArray::number(n));
    return text;
}

template <class Message>
QByteArray encoded(Message& message)
{
    TMemoryStream stream;
    message.SaveToStream(stream);
    return stream.Bytes();
}

template <class Message = TmsMessage>
std::unique_ptr<Message> decoded(const QByteArray& text)
{
    auto message = std::make_unique<Message>();
    TMemoryStream stream(text);
    message->LoadFromStream(stream);
    return message;
}

inline TmsAttItem& attach(TmsCustomMessage& message, const QByteArray& name, const QByteArray& data,
                          TAttEncoding encoding, const QByteArray& type = "application/octet-stream")
{
    auto item = std::make_unique<TmsAttItem>();
    item->SetFileName(name);
    item->SetContentType(type);
    item->SetEncoding(encoding);
    item->Data() = TMemoryStream(data);
    const qsizetype at = message.Attachments().Add(std::move(item));
    return message.Attachments().Items(at);
}

inline void address(TmsAddressList& list, const QByteArray& name, const QByteArray& mail)
{
    list.AddAddress(mail, name);
}
