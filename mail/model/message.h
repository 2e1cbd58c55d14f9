#pragma once
// Mail messages and news articles held in memory, and the list of messages
// a POP3 client fills. Messages are components: QObjects freed by their owner.
#include "mail/model/message_items.h"

#include <QObject>
#include <QStringList>
#include <memory>

class QTemporaryDir;
class TStream;

PV_DECLARE_EXCEPTION(EMessageError, Exception)

class TmsCustomMessage : public QObject, public TPersistent {
    Q_OBJECT
public:
    explicit TmsCustomMessage(QObject* owner = nullptr);
    ~TmsCustomMessage() override;
    QString ClassName() const override { return QStringLiteral("TmsCustomMessage"); }

    int Tag() const { return tag; }
    void SetTag(int value) { tag = value; }

    TmsMailAddress& Sender() { return sender; }
    const TmsMailAddress& Sender() const { return sender; }
    const QByteArray& Subject() const { return subject; }
    void SetSubject(const QByteArray& value);
    TMsgEncoding Encoding() const { return encoding; }
    void SetEncoding(TMsgEncoding value) { encoding = value; }
    TCharSet CharSet() const { return charSet; }
    void SetCharSet(TCharSet value) { charSet = value; }
    TmsHeaders& Headers() { return headers; }
    const TmsHeaders& Headers() const { return headers; }
    void SetHeaders(const TmsHeaders& lines) { headers = lines; }
    TStringList& Body() { return body; }
    const TStringList& Body() const { return body; }
    void SetBody(const TStringList& lines) { body = lines; }
    TmsAttList& Attachments() { return attachments; }
    const TmsAttList& Attachments() const { return attachments; }
    // Copies the items, data included; the given list keeps its own.
    void SetAttachments(const TmsAttList& list);

    // Computed from the body and attachments, and stored.
    QByteArray ContentType() const;
    // Stored lower-cased; used when the body alone decides.
    void SetContentType(const QByteArray& value);
    // Attachment files written by ExecuteAttachment, deleted with the message.
    const QStringList& TempFiles() const { return tempFiles; }
    // The message's text exactly as a server delivered it, shared with the
    // stream it came in; empty for a message composed here. Storing or
    // saving the message writes this text when there is one, so a message is
    // never rewritten on its way to disk; the fields are read from it, and
    // changing them leaves it as it is. Clear drops it.
    const QByteArray& ReceivedText() const { return receivedText; }
    void SetReceivedText(const QByteArray& text) { receivedText = text; }

    // Raises EMessageError naming the first missing field.
    virtual void CheckRequired() const;
    // Message text in Internet form, through the MIME encoder and decoder.
    virtual void SaveToStream(TStream& stream) = 0;
    virtual void LoadFromStream(TStream& stream) = 0;
    virtual void Clear();
    // Takes the fields over from a parsed header block.
    virtual void ReadHeaders(const TmsHeaders& lines) = 0;

    // The received text when there is one, else the message encoded.
    void SaveToFile(const QString& fileName);
    // Clears first; a file that cannot be opened leaves the message cleared.
    void LoadFromFile(const QString& fileName);
    // Writes the attachment's data into the directory under its bare name
    // (a generated one where the bare name names no file); returns the path.
    QString SaveAttachment(qsizetype index, const QString& directory);
    // Saves the attachment in a private temporary directory and opens it
    // with the desktop's program.
    void ExecuteAttachment(qsizetype index);

    void Assign(const TPersistent& source) override;
    void DefineProperties(TFiler& filer) override;
    // Reads each attachment's data back from the file its FileName names.
    void Loaded() override;

private:
    QByteArray computeContentType() const;
    QString temporaryDirectory();

    int tag = 0;
    TmsMailAddress sender;
    QByteArray subject;
    TMsgEncoding encoding = meMIME;
    TCharSet charSet = csUSASCII;
    TmsHeaders headers;
    TStringList body;
    TmsAttList attachments;
    QByteArray receivedText;
    mutable QByteArray storedContentType = "text/plain";
    QStringList tempFiles;
    std::unique_ptr<QTemporaryDir> tempDir;
};

class TmsMessage : public TmsCustomMessage {
    Q_OBJECT
public:
    explicit TmsMessage(QObject* owner = nullptr);
    QString ClassName() const override { return QStringLiteral("TmsMessage"); }

    TmsAddressList& Recipients() { return recipients; }
    const TmsAddressList& Recipients() const { return recipients; }
    void SetRecipients(const TmsAddressList& list) { recipients.Assign(list); }
    TmsAddressList& CC() { return cc; }
    const TmsAddressList& CC() const { return cc; }
    void SetCC(const TmsAddressList& list) { cc.Assign(list); }
    TmsAddressList& BCC() { return bcc; }
    const TmsAddressList& BCC() const { return bcc; }
    void SetBCC(const TmsAddressList& list) { bcc.Assign(list); }
    bool ReturnReceipt() const { return returnReceipt; }
    void SetReturnReceipt(bool value) { returnReceipt = value; }
    TPriority Priority() const { return priority; }
    void SetPriority(TPriority value) { priority = value; }

    void CheckRequired() const override;
    void SaveToStream(TStream& stream) override;
    void LoadFromStream(TStream& stream) override;
    void Clear() override;
    void ReadHeaders(const TmsHeaders& lines) override;
    void Assign(const TPersistent& source) override;
    void DefineProperties(TFiler& filer) override;

private:
    TmsAddressList recipients;
    TmsAddressList cc;
    TmsAddressList bcc;
    bool returnReceipt = false;
    TPriority priority = ptNormal;
};

class TmsArticle : public TmsCustomMessage {
    Q_OBJECT
public:
    explicit TmsArticle(QObject* owner = nullptr) : TmsCustomMessage(owner) {}
    QString ClassName() const override { return QStringLiteral("TmsArticle"); }

    const QByteArray& NewsGroups() const { return newsGroups; }
    void SetNewsGroups(const QByteArray& value) { newsGroups = value; }
    const QByteArray& Path() const { return path; }
    const QByteArray& MessageID() const { return messageID; }

    void CheckRequired() const override;
    void SaveToStream(TStream& stream) override;
    void LoadFromStream(TStream& stream) override;
    void Clear() override;
    void ReadHeaders(const TmsHeaders& lines) override;
    void Assign(const TPersistent& source) override;
    void DefineProperties(TFiler& filer) override;

private:
    QByteArray newsGroups;
    QByteArray path;
    QByteArray messageID;
};

class TmsMessageList;

// A message that lives in a TmsMessageList from construction to destruction.
class TmsListMessage : public TmsMessage {
    Q_OBJECT
public:
    // Raises EComponentError unless the owner is a TmsMessageList.
    explicit TmsListMessage(QObject* owner);
    ~TmsListMessage() override;
    QString ClassName() const override { return QStringLiteral("TmsListMessage"); }

private:
    TmsMessageList* list;
};

class TmsMessageList : public QObject {
    Q_OBJECT
public:
    explicit TmsMessageList(QObject* owner = nullptr) : QObject(owner) {}
    ~TmsMessageList() override;

    qsizetype Count() const { return messages.size(); }
    // Raises EListError for an index out of range.
    TmsListMessage& Items(qsizetype index) const;
    // Called by the list message itself on construction and destruction.
    void Add(TmsListMessage* message) { messages.append(message); }
    void Remove(TmsListMessage* message) { messages.removeOne(message); }
    // Frees every message, the last first.
    void Clear();

private:
    QList<TmsListMessage*> messages;
};
