#pragma once
// Socket error codes with their registered texts.
#include <QString>

namespace SocketError {
enum : quint16 {
    ServerRequired = 57002,
    ServiceRequired = 57005,
    HostNameTooLong = 57006,
    ServiceNameTooLong = 57007,
    NotConnected = 57008,
    ReplyLineTooLong = 57009,
    LineBreakInCommand = 57010,
    ClosedInData = 57011,
    ClosedInReply = 57012,      // its text takes the step: "%1"
    TlsHandshakeFailed = 57013, // these two take the host and the reason
    TlsFailed = 57014,
    ReplyTooLong = 57015,
    MessageRequired = 57102,
    UserNameRequired = 57103,
    PasswordRequired = 57104,
    ConnectionReset = 10054,
    ConnectTimedOut = 10060,
};

// The registered text, or "Error #" and the code for one without a text.
QString Text(quint16 code);
}
