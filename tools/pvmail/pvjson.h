#pragma once
// A mail message as a JSON object, the shape pvmail reads and prints.
#include <QDir>
#include <QJsonArray>
#include <QJsonObject>

class TmsMailAddress;
class TmsMessage;

// Every field, attachments as name, type, encoding, size and SHA-256.
QJsonObject MessageToJson(const TmsMessage& message);
// Parts of it, for a shorter report.
QJsonObject AddressToJson(const TmsMailAddress& address);
QJsonArray AttachmentsToJson(const TmsMessage& message);

// Fills an empty message. Attachment "path"s are taken relative to base.
// Raises Exception naming the field for a value of the wrong kind, and the
// file errors of attachments that cannot be read.
void JsonToMessage(const QJsonObject& object, const QDir& base, TmsMessage& message);
