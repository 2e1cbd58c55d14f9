#include "app/CloseDuringSend.h"

#include "app/MailSender.h"
#include "toolkit/gui/Prompter.h"

#include <QWidget>

namespace {

const QString sendRunningQuestion = QStringLiteral(
    "A message is being sent.\n\n"
    "Yes: wait until it has been sent, then close.\n"
    "No: cancel the send, then close.\n"
    "Cancel: keep working.");

} // namespace

CloseDuringSend::CloseDuringSend(MailSender& sender, ComposePanel& compose, QWidget& window)
    : QObject(&compose), sender(sender), window(window)
{
    connect(&compose, &ComposePanel::sendEnded, this, &CloseDuringSend::sendEnded);
}

CloseDuringSend::Verdict CloseDuringSend::closeRequested()
{
    if (!sender.isSending())
        return Verdict::CloseNow;
    switch (MessageDlg(sendRunningQuestion, mtConfirmation, mbYesNoCancel)) {
    case mrYes: pending = Verdict::CloseAfterSend; break;
    case mrNo:
        pending = Verdict::CloseAfterSend;
        sender.cancel();
        break;
    default: break;
    }
    // The send is still running even when the user chose to close: the
    // window stays to show how it ends.
    return Verdict::CloseAfterSend;
}

// A failure has been shown in the error box by now; a success is only in the
// status bar, which closing would take away unread.
void CloseDuringSend::sendEnded(SendOutcome outcome)
{
    if (pending != Verdict::CloseAfterSend)
        return;
    pending = Verdict::CloseNow;
    if (outcome == SendOutcome::Sent)
        MessageDlg(QStringLiteral("The message has been sent."), mtInformation, mbOK);
    window.close();
}
