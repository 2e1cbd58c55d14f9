#pragma once
// The POP3 clients: TmsCustomPOP speaks the protocol (STLS when asked for,
// APOP or USER/PASS, STAT, UIDL, LIST and RETR, DELE, QUIT) and hands each
// retrieved message to MessageReceived; TmsPOP decodes each one into its
// message list.
#include "net/session/session.h"

#include <QHash>
#include <QList>

#include <functional>

class TmsMessageList;
class TmsSeenIds;
class TStream;

class TmsCustomPOP : public TmsMailBase {
public:
    explicit TmsCustomPOP(QObject* owner = nullptr);

    QString UserName; // sent as UTF-8
    QString Password;
    // Where the unique ids of messages already fetched are kept, so mail
    // left on the server is fetched once and mail deleted from it is stored
    // once; empty: every message is fetched.
    QString SeenIdsFile;
    // From the last STAT; -1 before any.
    int MessageCount = -1;
    int MailboxSize = -1;
    // Num is the message's zero-based index; the wire carries it plus 1.
    TmsNumNotifyEvent OnRetrieving;
    TmsNumNotifyEvent OnRetrieved;
    TmsNumNotifyEvent OnDeleting;

    // Each raises EServerError when the server refuses a step.
    void RetrieveMessage(int index);
    void DeleteMessage(int index);
    void GetStatus();
    // UIDL: the unique id of each message by its index; a message the
    // listing names no usable id for has none.
    QHash<int, QByteArray> UniqueIds();
    int ReplyCode(const QByteArray& line) override;
    virtual void CheckProperties();
    void Open() override;

protected:
    // Where RETR writes the next message's text, asked before the RETR: a
    // subclass that keeps the text elsewhere (a file of its store) gives a
    // stream of its own, so a large message never has to fit in memory; null
    // for a memory stream of RetrieveMessage's.
    virtual TStream* ReceivingStream() { return nullptr; }
    // The received text, from position 0; the caller frees the stream.
    virtual void MessageReceived(int index, TStream& stream) = 0;
    void OpenSession() override;
    void CloseSession() override;

private:
    void CheckReply();
    void CheckGreeting();
    void UpgradeToTls();
    void Command(const QByteArray& line);
    bool LoggedInWithApop(const QByteArray& timestamp);
};

// What RetrieveAll does with a message on the server once it is stored.
enum class TmsAfterRetrieve { Delete, LeaveOnServer };

class TmsPOP : public TmsCustomPOP {
public:
    explicit TmsPOP(QObject* owner = nullptr);

    // Owned; RetrieveAll appends to it and never empties it.
    TmsMessageList* const MessageList;
    // RetrieveAll went on past a message the server would not give (LIST or
    // RETR refused: it stays there) or delete (it will be retrieved again).
    TmsNumErrorEvent OnMessageError;

    // Connect, retrieve every message (deleting each once it is stored,
    // unless told to leave it), and always disconnect. With a SeenIdsFile
    // the ids stored are kept: mail left on the server is fetched once, and
    // mail to delete that was stored before is deleted without fetching it.
    void RetrieveAll(TmsAfterRetrieve afterRetrieve);

protected:
    void MessageReceived(int index, TStream& stream) override;
    // Decodes the text into a new entry at the end of the message list.
    void DecodeIntoList(TStream& stream);
    // How many retrieved messages are kept together; 1 keeps each as soon
    // as it is stored.
    int KeepGroup = 1;
    // Runs before the DELEs, or the recorded ids, of the messages retrieved
    // since its last run: a store that holds messages back puts them on disk
    // here, or raises and they stay on the server and will be fetched again.
    virtual void KeepRetrieved() {}
    // True while the ids of what is stored are kept: what comes now will not
    // come again.
    bool FetchingOnce() const { return fetchingOnce; }

private:
    struct TRetrieved {
        int index;
        QByteArray id; // empty without ids
    };
    void Keep(QList<TRetrieved>& retrieved, TmsAfterRetrieve afterRetrieve, TmsSeenIds& seen);
    void Delete(int index);
    QHash<int, QByteArray> ListedIds(TmsSeenIds& seen);
    bool Refused(int index, const std::function<void()>& step, const char* outcome);

    bool fetchingOnce = false;
};
