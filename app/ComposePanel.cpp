#include "app/ComposePanel.h"

#include "app/Commands.h"
#include "app/MailSender.h"
#include "app/SettingsStore.h"
#include "net/smtp/send_draft.h"
#include "toolkit/gui/ErrorHandler.h"
#include "toolkit/gui/Prompter.h"
#include "toolkit/gui/RichEdit.h"

#include <QApplication>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// Fields take their design width where the window allows it and give up a
// quarter of it before the window has to grow.
QLineEdit* composeField(const QString& name, int width)
{
    auto* edit = new QLineEdit;
    edit->setObjectName(name);
    edit->setMinimumWidth(width * 3 / 4);
    edit->setMaximumWidth(width);
    return edit;
}

// A field's caption, read out by screen readers as the field's name.
QLabel* captionFor(QLineEdit* field, const QString& caption)
{
    auto* label = new QLabel(caption);
    label->setBuddy(field);
    return label;
}

QPushButton* composeButton(const QString& name, const QString& caption, const QString& hint)
{
    auto* button = new QPushButton(caption);
    button->setObjectName(name);
    button->setToolTip(hint);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

// Model texts are UTF-8 bytes of at most 255 characters.
QByteArray modelText(const QString& text)
{
    return text.left(255).toUtf8();
}

} // namespace

ComposePanel::ComposePanel(TRichEdit& editor, MailSender& sender, AttachmentChooser chooseAttachment, QObject* parent)
    : QObject(parent), editor(editor), sender(sender), chooseAttachment(std::move(chooseAttachment))
{
    sendEmailCommand = newCommand(
        this, "SendEmail1", "Send &Email", [this] { startMessage(); }, ctrlKey('E'));
    // Without a parent until the window lays it out: its fields then follow
    // the bars in the tab order.
    composePanel = new QWidget;
    composePanel->setObjectName(QStringLiteral("Panel3"));
    toEdit = composeField(QStringLiteral("toEdit"), 163);
    subjectEdit = composeField(QStringLiteral("subjectEdit"), 138);
    ccEdit = composeField(QStringLiteral("eCC"), 163);
    attachmentsEdit = composeField(QStringLiteral("AttEdit"), 306);
    attachmentsEdit->setToolTip(QStringLiteral("Double click here to choose file to attach to your email message"));
    attachmentsEdit->installEventFilter(this);
    sendButton = composeButton(QStringLiteral("SendBtn"), QStringLiteral("Send"),
                               QStringLiteral("Send the currnent document as email"));
    cancelButton = composeButton(QStringLiteral("CancelBtn"), QStringLiteral("Cancel"),
                                 QStringLiteral("Cancel the current email operation"));
    composeDoneButton = composeButton(QStringLiteral("Button1"), QStringLiteral("Done"),
                                      QStringLiteral("Click here when you're done sending email"));
    connect(sendButton, &QPushButton::clicked, this, [this] { pressSend(); });
    connect(cancelButton, &QPushButton::clicked, this, Guard([this](bool) { this->sender.cancel(); }));
    connect(composeDoneButton, &QPushButton::clicked, this, Guard([this](bool) { finishMessage(); }));

    auto* grid = new QGridLayout(composePanel);
    grid->setContentsMargins(4, 2, 4, 2);
    grid->setVerticalSpacing(2);
    grid->addWidget(captionFor(toEdit, QStringLiteral("To:")), 0, 0);
    grid->addWidget(toEdit, 0, 1);
    grid->addWidget(captionFor(subjectEdit, QStringLiteral("Subject:")), 0, 2);
    grid->addWidget(subjectEdit, 0, 3);
    grid->addWidget(sendButton, 0, 4);
    grid->addWidget(cancelButton, 0, 5);
    grid->addWidget(captionFor(ccEdit, QStringLiteral("cc:")), 1, 0);
    grid->addWidget(ccEdit, 1, 1);
    grid->addWidget(captionFor(attachmentsEdit, QStringLiteral("Attachments:")), 1, 2);
    grid->addWidget(attachmentsEdit, 1, 3, 1, 2);
    grid->addWidget(composeDoneButton, 1, 5);
    grid->setColumnStretch(1, 163);
    grid->setColumnStretch(3, 138);
    grid->setColumnStretch(4, 168);
    grid->setColumnStretch(6, 1);
    composePanel->hide();
}

void ComposePanel::startMessage()
{
    const TSettingsStore& store = AppSettings();
    if (store.SMTPServer.isEmpty() || store.EmailAddress.isEmpty()) {
        MessageDlg(QStringLiteral("Please setup your email address and SMTP server in Options/Preferences."), mtWarning,
                   mbOK);
        return;
    }
    composePanel->show();
}

void ComposePanel::startNewMessage()
{
    clearMessage();
    startMessage();
}

void ComposePanel::setRecipient(const QString& address)
{
    toEdit->setText(address);
}
void ComposePanel::setSubject(const QString& subject)
{
    subjectEdit->setText(subject);
}
void ComposePanel::setReplyIds(const QByteArray& answered, const QByteArray& thread)
{
    inReplyTo = answered;
    references = thread;
}
void ComposePanel::focusRecipient()
{
    toEdit->setFocus();
}

QLineEdit* ComposePanel::focusedField() const
{
    QWidget* focus = QApplication::focusWidget();
    for (QLineEdit* field : {toEdit, ccEdit, subjectEdit, attachmentsEdit})
        if (focus == field)
            return field;
    return nullptr;
}

void ComposePanel::finishMessage()
{
    composePanel->hide();
    emit finished();
}

void ComposePanel::attachFile()
{
    if (const std::optional<QString> file = chooseAttachment())
        attachmentsEdit->setText(*file);
}

void ComposePanel::pressSend()
{
    if (sender.isSending())
        return; // the running send's outcome decides what happens to the fields
    SendOutcome outcome = SendOutcome::Failed;
    Guard([&] {
        sendMessage();
        outcome = SendOutcome::Sent;
    })();
    emit sendEnded(outcome);
}

void ComposePanel::sendMessage()
{
    sender.send(draftFromFields());
    clearMessage();
}

void ComposePanel::clearMessage()
{
    for (QLineEdit* field : {ccEdit, toEdit, attachmentsEdit, subjectEdit})
        field->clear();
    inReplyTo.clear();
    references.clear();
}

TmsDraft ComposePanel::draftFromFields() const
{
    const TSettingsStore& store = AppSettings();
    TmsDraft draft;
    draft.SenderAddress = modelText(store.EmailAddress);
    draft.SenderName = modelText(store.UserName);
    draft.To = {toEdit->text().toUtf8()};
    if (!ccEdit->text().isEmpty())
        draft.Cc = {ccEdit->text().toUtf8()};
    draft.ReturnReceipt = store.ConfirmEmailReceipt;
    draft.ReplyTo = draft.SenderAddress;
    draft.InReplyTo = inReplyTo;
    draft.References = references;
    draft.Subject = modelText(subjectEdit->text());
    for (const QString& line : editor.Lines())
        draft.Body.append(line.toUtf8());
    if (!attachmentsEdit->text().isEmpty())
        draft.AttachmentFiles = {attachmentsEdit->text()};
    if (store.CopySelf)
        draft.CopiesDirectory = store.CopySelfDir.isEmpty() ? DefaultCopySelfDir() : store.CopySelfDir;
    return draft;
}

bool ComposePanel::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick && watched == attachmentsEdit) {
        Guard([this] { attachFile(); })();
        return true;
    }
    return QObject::eventFilter(watched, event);
}
