#pragma once
// The compose panel: recipient, copy recipient, subject and attachment
// fields with the Send, Cancel and Done buttons; Send Email opens it, Send
// mails the document as the fields address it. The fields keep what was
// typed until a send succeeds.
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class MailSender;
class QAction;
class QLineEdit;
class QPushButton;
class QWidget;
class TRichEdit;
struct TmsDraft;

enum class SendOutcome { Sent, Failed };

class ComposePanel : public QObject {
    Q_OBJECT
public:
    using AttachmentChooser = std::function<std::optional<QString>()>;

    ComposePanel(TRichEdit& editor, MailSender& sender, AttachmentChooser chooseAttachment, QObject* parent);

    QAction* sendEmailAction() const { return sendEmailCommand; }
    QWidget* panel() const { return composePanel; }

    // Shows the fields as they were left; without a sender and a server to send
    // through, says what to set up instead.
    void startMessage();
    // Empties the fields first: an answer or a forward is a message of its own.
    void startNewMessage();
    void setRecipient(const QString& address);
    void setSubject(const QString& subject);
    // An answer's ids, kept until the next message is started.
    void setReplyIds(const QByteArray& inReplyTo, const QByteArray& references);
    void focusRecipient();
    // The field that has the focus, if it is one of the panel's.
    QLineEdit* focusedField() const;

signals:
    // Done was pressed: the panel is hidden.
    void finished();
    // A send has ended, and a failure has been shown in the error box.
    void sendEnded(SendOutcome outcome);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void finishMessage();
    void attachFile();
    void pressSend();
    void sendMessage();
    void clearMessage();
    TmsDraft draftFromFields() const;

    TRichEdit& editor;
    MailSender& sender;
    AttachmentChooser chooseAttachment;
    QAction* sendEmailCommand;
    QWidget* composePanel;
    QLineEdit *toEdit, *subjectEdit, *ccEdit, *attachmentsEdit;
    QPushButton *sendButton, *cancelButton, *composeDoneButton;
    QByteArray inReplyTo, references; // of the message answered; empty: none
};
