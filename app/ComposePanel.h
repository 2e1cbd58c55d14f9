#pragma once
// The compose panel: recipient, copy recipient, subject and attachment
// fields with the Send, Cancel and Done buttons; Send Email opens it empty,
// Send mails the document as the fields address it.
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

class ComposePanel : public QObject {
    Q_OBJECT
public:
    using AttachmentChooser = std::function<std::optional<QString>()>;

    ComposePanel(TRichEdit& editor, MailSender& sender, AttachmentChooser chooseAttachment, QObject* parent);

    QAction* sendEmailAction() const { return sendEmailCommand; }
    QWidget* panel() const { return composePanel; }

    // Empties and shows the fields; without a sender and a server to send
    // through, says what to set up instead.
    void startMessage();
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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void finishMessage();
    void attachFile();
    void sendMessage();
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
