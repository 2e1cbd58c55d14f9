// A TLS client connection driven over the session's transport.
#include "net/transport/tls_link_p.h"

#include <QFile>
#include <QFileInfo>
#include <QHostAddress>

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

namespace {

// OpenSSL's default places, with the system's directory looked up one
// certificate at a time as a chain needs it: reading the whole bundle file,
// as the defaults do, costs every process some 35 ms. SSL_CERT_FILE, when
// set, is read whole as the defaults would; so is the bundle on a system
// without the hashed directory.
void TrustSystemAuthorities(SSL_CTX* context)
{
    const QByteArray file = qgetenv(X509_get_default_cert_file_env());
    const QByteArray dirs = qgetenv(X509_get_default_cert_dir_env());
    const char* systemDir = X509_get_default_cert_dir();
    if (!file.isEmpty())
        SSL_CTX_load_verify_file(context, file.constData());
    SSL_CTX_load_verify_dir(context, dirs.isEmpty() ? systemDir : dirs.constData());
    if (file.isEmpty() && dirs.isEmpty() && !QFileInfo(QFile::decodeName(systemDir)).isDir())
        SSL_CTX_load_verify_file(context, X509_get_default_cert_file());
    ERR_clear_error(); // a place that is missing is no failure of the connection
}

// TLS 1.2 or newer, the peer's certificate checked. A server that closes
// without a close_notify ends the data like a plain close: the mail
// protocols frame their own ends.
SSL_CTX* MakeContext(const QString& caFile, QString& failure)
{
    SSL_CTX* context = SSL_CTX_new(TLS_client_method());
    if (!context) {
        failure = QStringLiteral("OpenSSL could not be set up");
        return nullptr;
    }
    SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION);
    SSL_CTX_set_verify(context, SSL_VERIFY_PEER, nullptr);
    TrustSystemAuthorities(context);
    SSL_CTX_set_options(context, SSL_OP_IGNORE_UNEXPECTED_EOF);
    SSL_CTX_set_mode(context, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    if (!caFile.isEmpty()
        && SSL_CTX_load_verify_locations(context, QFile::encodeName(caFile).constData(), nullptr) != 1)
        failure = QStringLiteral("cannot read the certificate authority file %1").arg(caFile);
    return context;
}

// Reading the system's authorities takes tens of milliseconds, so one context
// serves every connection while the same files are named. A context that
// could not be set up is the caller's alone, and so is the error.
SSL_CTX* SharedContext(const QString& caFile, QString& failure)
{
    static SSL_CTX* shared = nullptr;
    static QString sharedFrom;
    const QString from = caFile + QLatin1Char('\n') + qEnvironmentVariable("SSL_CERT_FILE") + QLatin1Char('\n')
                       + qEnvironmentVariable("SSL_CERT_DIR");
    if (!shared || from != sharedFrom) {
        SSL_CTX* made = MakeContext(caFile, failure);
        if (!made || !failure.isEmpty())
            return made;
        SSL_CTX_free(shared);
        shared = made;
        sharedFrom = from;
    }
    SSL_CTX_up_ref(shared);
    return shared;
}

// The name is checked against the certificate and sent as SNI; an address
// literal is checked as an address and not sent.
void CheckPeerAs(SSL* ssl, const QString& host)
{
    const QByteArray name = host.toUtf8();
    X509_VERIFY_PARAM* param = SSL_get0_param(ssl);
    X509_VERIFY_PARAM_set_hostflags(param, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
    if (!QHostAddress(host).isNull()) {
        X509_VERIFY_PARAM_set1_ip_asc(param, name.constData());
        return;
    }
    X509_VERIFY_PARAM_set1_host(param, name.constData(), size_t(name.size()));
    SSL_set_tlsext_host_name(ssl, name.constData());
}

// What a failed call left in OpenSSL's error queue, in words. Bytes that are
// not TLS at all (a plain-text port) get a plainer word than the record
// layer's.
QString QueuedReason()
{
    const unsigned long error = ERR_peek_last_error();
    if (error == 0)
        return QStringLiteral("the connection failed");
    switch (ERR_GET_REASON(error)) {
    case SSL_R_WRONG_VERSION_NUMBER:
    case SSL_R_PACKET_LENGTH_TOO_LONG:
    case SSL_R_UNKNOWN_PROTOCOL:
    case SSL_R_HTTP_REQUEST: return QStringLiteral("the server does not speak TLS");
    default: break;
    }
    const char* text = ERR_reason_error_string(error);
    return text ? QString::fromLatin1(text) : QStringLiteral("OpenSSL error %1").arg(error);
}

}

TrkTlsLink::TrkTlsLink(TrkTransport& transport, const QString& host, const QString& caFile) : wire{&transport, 0, false}
{
    ERR_clear_error();
    QString failure;
    context = SharedContext(caFile, failure);
    ssl = context ? SSL_new(context) : nullptr;
    if (!failure.isEmpty() || !ssl) {
        Fail(failure.isEmpty() ? QStringLiteral("OpenSSL could not be set up") : failure);
        return;
    }
    BIO* bio = MakeWire(&wire);
    SSL_set_bio(ssl, bio, bio);
    CheckPeerAs(ssl, host);
    SSL_set_connect_state(ssl);
}

TrkTlsLink::~TrkTlsLink()
{
    SSL_free(ssl);
    SSL_CTX_free(context);
}

TrkTlsLink::TState TrkTlsLink::Handshake()
{
    if (state == TState::Failed)
        return state;
    ERR_clear_error();
    up = Settle(SSL_do_handshake(ssl)) > 0;
    if (state == TState::Ended)
        Fail(QStringLiteral("the server closed the connection"));
    return state;
}

int TrkTlsLink::Read(char* buffer, int size, TrkReceiveMode mode)
{
    ERR_clear_error();
    return Settle(mode == TrkReceiveMode::Peek ? SSL_peek(ssl, buffer, size) : SSL_read(ssl, buffer, size));
}

int TrkTlsLink::Write(const char* data, int size)
{
    ERR_clear_error();
    return Settle(SSL_write(ssl, data, size));
}

void TrkTlsLink::Shutdown()
{
    if (!up || state == TState::Failed)
        return;
    ERR_clear_error();
    SSL_shutdown(ssl);
}

bool TrkTlsLink::Buffered() const
{
    return ssl && SSL_pending(ssl) > 0;
}

int TrkTlsLink::Settle(int result)
{
    if (result > 0) {
        state = TState::Ok;
        return result;
    }
    switch (SSL_get_error(ssl, result)) {
    case SSL_ERROR_WANT_READ: state = TState::WantRead; return -1;
    case SSL_ERROR_WANT_WRITE: state = TState::WantWrite; return -1;
    case SSL_ERROR_ZERO_RETURN: state = TState::Ended; return 0;
    default: break;
    }
    const long verdict = SSL_get_verify_result(ssl);
    if (verdict != X509_V_OK)
        Fail(QString::fromLatin1(X509_verify_cert_error_string(verdict)));
    else if (wire.ended)
        Fail(QStringLiteral("the server closed the connection"));
    else
        Fail(QueuedReason());
    return -1;
}

void TrkTlsLink::Fail(QString why)
{
    state = TState::Failed;
    socketError = wire.error;
    reason = std::move(why);
}

// The wire: OpenSSL's reads and writes become the transport's Receive and
// Send. A call that would block tells OpenSSL to retry that way; a failure
// keeps the transport's error.
int TrkTlsLink::WireResult(BIO* bio, int retryFlags, const TrkTransfer& transfer)
{
    auto* wire = static_cast<TWire*>(BIO_get_data(bio));
    switch (transfer.status) {
    case TrkTransfer::TStatus::Moved: return transfer.bytes;
    case TrkTransfer::TStatus::WouldBlock: BIO_set_flags(bio, retryFlags | BIO_FLAGS_SHOULD_RETRY); break;
    case TrkTransfer::TStatus::Failed: wire->error = transfer.error; break;
    }
    return -1;
}

int TrkTlsLink::WireRead(BIO* bio, char* buffer, int size)
{
    BIO_clear_retry_flags(bio);
    auto* wire = static_cast<TWire*>(BIO_get_data(bio));
    const TrkTransfer transfer = wire->transport->Receive(buffer, size, TrkReceiveMode::Take);
    if (transfer.status == TrkTransfer::TStatus::Moved)
        wire->ended = transfer.bytes == 0;
    return WireResult(bio, BIO_FLAGS_READ, transfer);
}

int TrkTlsLink::WireWrite(BIO* bio, const char* data, int size)
{
    BIO_clear_retry_flags(bio);
    auto* wire = static_cast<TWire*>(BIO_get_data(bio));
    return WireResult(bio, BIO_FLAGS_WRITE, wire->transport->Send(data, size));
}

long TrkTlsLink::WireControl(BIO*, int command, long, void*)
{
    return command == BIO_CTRL_FLUSH ? 1 : 0; // nothing is buffered on the way out
}

BIO* TrkTlsLink::MakeWire(TWire* wire)
{
    static BIO_METHOD* const method = [] {
        BIO_METHOD* m = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "session transport");
        BIO_meth_set_read(m, &WireRead);
        BIO_meth_set_write(m, &WireWrite);
        BIO_meth_set_ctrl(m, &WireControl);
        return m;
    }();
    BIO* bio = BIO_new(method);
    BIO_set_data(bio, wire);
    BIO_set_init(bio, 1);
    return bio;
}
