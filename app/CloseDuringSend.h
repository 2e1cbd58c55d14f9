#pragma once
// Closing the window while a message is being sent: the user waits for the
// send or cancels it, and the window closes only once the outcome has been
// shown, so no send goes on without a window to report it.
#include "app/ComposePanel.h"

#include <QObject>

class MailSender;
class QWidget;

class CloseDuringSend : public QObject {
    Q_OBJECT
public:
    enum class Verdict { CloseNow, CloseAfterSend };

    CloseDuringSend(MailSender& sender, ComposePanel& compose, QWidget& window);

    // Asks while a send runs; the window closes itself once it has ended.
    Verdict closeRequested();

private:
    void sendEnded(SendOutcome outcome);

    MailSender& sender;
    QWidget& window;
    Verdict pending = Verdict::CloseNow;
};
