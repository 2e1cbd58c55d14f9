#pragma once
// Sending a draft through the window's SMTP client, whose events the status
// bar shows.
#include <QObject>

class StatusPanels;
class TmsMessage;
class TmsSMTP;
struct TmsDraft;

class MailSender : public QObject {
    Q_OBJECT
public:
    MailSender(StatusPanels& status, QObject* parent);

    // The client keeps how it reaches the server until the settings change.
    void applySettings();
    void send(const TmsDraft& draft);
    void cancel();
    bool isSending() const { return sending; }

private:
    StatusPanels& status;
    TmsMessage* message;
    TmsSMTP* client;
    bool sending = false;
};
