#pragma once
// The SMTP client: delivers one message per Send, from connect and EHLO
// (HELO for a server that refuses it), STARTTLS and AUTH when asked for,
// through the envelope and the data to QUIT, on the session's waits.
#include "net/session/session.h"

#include <QList>
#include <QPointer>
#include <memory>

class TmsMessage;
class TTempFileStream;

// What becomes of a message's text once the server has accepted it.
enum class TmsSentText { Discard, Keep };

class TmsSMTP : public TmsMailBase {
public:
    explicit TmsSMTP(QObject* owner = nullptr);
    ~TmsSMTP() override;

    TNotifyEvent OnPrepare;
    TNotifyEvent OnSending;
    TNotifyEvent OnMailSent;
    TmsAddressRejectedEvent OnAddressRejected;
    // The message was sent, but QUIT failed (refused, timed out, connection
    // gone); Msg says how. Send still succeeds: the server has the message.
    TmsErrorEvent OnQuitFailed;

    // The login for AUTH, sent only when AuthenticationRequired is set:
    // CRAM-MD5 when the server offers it, else PLAIN, else LOGIN.
    QString UserName;
    QString Password;
    bool AuthenticationRequired = false;

    // Not owned; cleared when the message is destroyed.
    QPointer<TmsMessage> MailMessage;
    // The encoded text being sent; exists only while SendMail runs.
    TTempFileStream* MessageStream() const { return stream.get(); }
    // Keep: SendMail keeps the text the server accepted for TakeSentText, so
    // a copy of the message is exactly the bytes sent; Discard: its file
    // goes as soon as the message is sent.
    TmsSentText SentText = TmsSentText::Discard;
    // The text kept from the last SendMail; null when it failed, nothing was
    // kept or the text was taken.
    std::unique_ptr<TTempFileStream> TakeSentText();

    // Connect, SendMail and, whatever happens, Disconnect; once the server
    // has accepted the message a failing Disconnect goes to OnQuitFailed.
    void Send();
    // Sends MailMessage over a connection already open and greeted.
    void SendMail();
    void Open() override;

protected:
    void OpenSession() override;
    void CloseSession() override;
    QString StepName(const QByteArray& command) const override;

private:
    // What the last EHLO reply offered; nothing after HELO.
    struct TExtensions {
        bool startTls = false;
        bool auth = false;
        QList<QByteArray> authMechanisms; // upper case
        bool size = false;
        qint64 sizeLimit = 0; // 0: none given
    };

    void Check2xx(int code);
    void Greet();
    void ReadExtensions(const QList<QByteArray>& lines);
    void UpgradeToTls();
    void Authenticate();
    void AuthPlain();
    void AuthLogin();
    void AuthCramMd5();
    QByteArray ReadChallenge();
    void CheckSize();
    void SendEnvelope();
    void SendRecipient(const QByteArray& address);
    void SendData();

    std::unique_ptr<TTempFileStream> stream;
    std::unique_ptr<TTempFileStream> sentText;
    TExtensions extensions;
    bool inAuth = false; // the lines sent are credentials: steps are named "AUTH"
};
