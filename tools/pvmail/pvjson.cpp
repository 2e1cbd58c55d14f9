#include "tools/pvmail/pvjson.h"

#include "mail/model/message.h"

#include <QCryptographicHash>
#include <QJsonArray>

namespace {

const char* const priorities[] = {"low", "normal", "high"};
const char* const charsets[] = {"us-ascii", "iso-8859-1", "utf-8"};
const char* const encodings[] = {"mime", "uu"};

QString text(const QByteArray& bytes)
{
    return QString::fromUtf8(bytes);
}

QJsonArray listToJson(const TmsAddressList& list)
{
    QJsonArray array;
    for (qsizetype i = 0; i < list.Count(); ++i)
        array.append(AddressToJson(list.Items(i)));
    return array;
}

QJsonArray linesToJson(const TStringList& lines)
{
    QJsonArray array;
    for (const QByteArray& line : lines)
        array.append(text(line));
    return array;
}

QJsonObject attachmentToJson(const TmsAttItem& item)
{
    const QByteArray& data = item.Data().Bytes();
    return {{"fileName", text(item.FileName())},
            {"contentType", text(item.ContentType())},
            {"encoding", QString::fromLatin1(AttEncodingNames[item.Encoding()])},
            {"size", double(data.size())},
            {"sha256", QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex())}};
}

[[noreturn]] void wrongKind(const QString& field, const char* kind)
{
    throw Exception(QStringLiteral("\"%1\" must be %2").arg(field, QLatin1String(kind)));
}

QJsonValue member(const QJsonObject& object, const QString& field, QJsonValue::Type type, const char* kind)
{
    const QJsonValue value = object.value(field);
    if (!value.isUndefined() && !value.isNull() && value.type() != type)
        wrongKind(field, kind);
    return value;
}

QByteArray textMember(const QJsonObject& object, const QString& field)
{
    return member(object, field, QJsonValue::String, "a string").toString().toUtf8();
}

// The index of the value in names; the fallback when absent.
int choice(const QJsonObject& object, const QString& field, const char* const* names, int count, int fallback)
{
    const QByteArray value = textMember(object, field);
    if (value.isEmpty())
        return fallback;
    for (int i = 0; i < count; ++i)
        if (value == names[i])
            return i;
    wrongKind(field, "one of the documented names");
}

void readAddress(const QJsonValue& value, const QString& field, TmsMailAddress& address)
{
    if (!value.isObject())
        wrongKind(field, "an object with name and address");
    address.SetName(textMember(value.toObject(), QStringLiteral("name")));
    address.SetAddress(textMember(value.toObject(), QStringLiteral("address")));
}

void readList(const QJsonObject& object, const QString& field, TmsAddressList& list)
{
    for (const QJsonValue& value : member(object, field, QJsonValue::Array, "a list").toArray()) {
        auto address = std::make_unique<TmsMailAddress>();
        readAddress(value, field, *address);
        list.Add(std::move(address));
    }
}

TStringList readLines(const QJsonObject& object, const QString& field)
{
    TStringList lines;
    for (const QJsonValue& value : member(object, field, QJsonValue::Array, "a list of strings").toArray()) {
        if (!value.isString())
            wrongKind(field, "a list of strings");
        lines.append(value.toString().toUtf8());
    }
    return lines;
}

void readAttachment(const QJsonValue& value, const QDir& base, TmsAttList& list)
{
    if (!value.isObject())
        wrongKind(QStringLiteral("attachments"), "a list of objects");
    const QJsonObject object = value.toObject();
    const QByteArray path = textMember(object, QStringLiteral("path"));
    if (path.isEmpty())
        wrongKind(QStringLiteral("attachments[].path"), "the name of a readable file");
    auto item = std::make_unique<TmsAttItem>();
    const QByteArray fileName = textMember(object, QStringLiteral("fileName"));
    item->SetFileName(fileName.isEmpty() ? path : fileName);
    if (const QByteArray type = textMember(object, QStringLiteral("contentType")); !type.isEmpty())
        item->SetContentType(type);
    const int encoding = choice(object, QStringLiteral("encoding"), AttEncodingNames, 3, item->Encoding());
    item->SetEncoding(TAttEncoding(encoding));
    item->Data().LoadFromFile(base.absoluteFilePath(QString::fromUtf8(path)));
    list.Add(std::move(item));
}

} // namespace

QJsonObject AddressToJson(const TmsMailAddress& address)
{
    return {{"name", text(address.Name())}, {"address", text(address.Address())}};
}

QJsonArray AttachmentsToJson(const TmsMessage& message)
{
    QJsonArray attachments;
    for (qsizetype i = 0; i < message.Attachments().Count(); ++i)
        attachments.append(attachmentToJson(message.Attachments().Items(i)));
    return attachments;
}

QJsonObject MessageToJson(const TmsMessage& message)
{
    return {{"from", AddressToJson(message.Sender())},
            {"sender", AddressToJson(message.Sender())},
            {"to", listToJson(message.Recipients())},
            {"cc", listToJson(message.CC())},
            {"subject", text(message.Subject())},
            {"priority", QLatin1String(priorities[message.Priority()])},
            {"returnReceipt", message.ReturnReceipt()},
            {"encoding", QLatin1String(encodings[message.Encoding()])},
            {"charset", QLatin1String(charsets[message.CharSet()])},
            {"contentType", text(message.ContentType())},
            {"headers", linesToJson(message.Headers())},
            {"body", linesToJson(message.Body())},
            {"attachments", AttachmentsToJson(message)}};
}

void JsonToMessage(const QJsonObject& object, const QDir& base, TmsMessage& message)
{
    const QJsonValue from = object.contains(QStringLiteral("from")) ? object.value(QStringLiteral("from"))
                                                                    : object.value(QStringLiteral("sender"));
    if (!from.isUndefined())
        readAddress(from, QStringLiteral("from"), message.Sender());
    readList(object, QStringLiteral("to"), message.Recipients());
    readList(object, QStringLiteral("cc"), message.CC());
    readList(object, QStringLiteral("bcc"), message.BCC());
    message.SetSubject(textMember(object, QStringLiteral("subject")));
    message.SetPriority(TPriority(choice(object, QStringLiteral("priority"), priorities, 3, ptNormal)));
    message.SetReturnReceipt(
        member(object, QStringLiteral("returnReceipt"), QJsonValue::Bool, "true or false").toBool());
    message.SetEncoding(TMsgEncoding(choice(object, QStringLiteral("encoding"), encodings, 2, meMIME)));
    message.SetCharSet(TCharSet(choice(object, QStringLiteral("charset"), charsets, 3, csUSASCII)));
    TmsHeaders headers;
    for (const QByteArray& line : readLines(object, QStringLiteral("headers")))
        headers.append(line);
    message.SetHeaders(headers);
    message.SetBody(readLines(object, QStringLiteral("body")));
    if (const QByteArray type = textMember(object, QStringLiteral("contentType")); !type.isEmpty())
        message.SetContentType(type);
    for (const QJsonValue& value : member(object, QStringLiteral("attachments"), QJsonValue::Array, "a list").toArray())
        readAttachment(value, base, message.Attachments());
}
