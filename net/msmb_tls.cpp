// The session's TLS layer: placeholder until the OpenSSL layer lands.
#include "net/msmb.h"

#include "net/msmb_socketerrors_p.h"

bool TrkSocket::Secure() const
{
    return false;
}

void TrkSocket::StartTls()
{
    RaiseSocketError(SocketError::NotConnected, QStringLiteral("TLS is not available"));
}
