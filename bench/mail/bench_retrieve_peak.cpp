// Peak memory of retrieving large messages into the saved-mail store as the
// mailbox window does (TmsStoringPOP, each message deleted once stored): one
// message of 200 MB and two, each with a base64 attachment. The POP3 server
// is a child process that makes each text as it sends it, so its memory is
// not counted; each retrieval runs in a child process of its own, so its
// peak is its own. Beside it, the floor: the same process before retrieving.
#include "mail/model/message.h"
#include "net/pop3/retrieve_to_store.h"
#include "toolkit/Exception.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr long long MessageSize = 200LL << 20;
constexpr int LineLength = 76;

long peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

void sendAll(int socket, const char* bytes, size_t size)
{
    while (size > 0) {
        const ssize_t sent = ::send(socket, bytes, size, MSG_NOSIGNAL);
        if (sent <= 0)
            _exit(1);
        bytes += sent;
        size -= size_t(sent);
    }
}

void sendText(int socket, const std::string& text)
{
    sendAll(socket, text.data(), text.size());
}

// A multipart message of MessageSize bytes: a short text and one attachment
// whose base64 lines are made as they are sent, a megabyte at a time.
void sendMessage(int socket)
{
    sendText(socket,
             "From: Ann <ann@here.test>\r\nTo: bob@there.test\r\nSubject: large\r\nMIME-Version: 1.0\r\n"
             "Content-Type: multipart/mixed; boundary=\"b\"\r\n\r\n--b\r\nContent-Type: text/plain\r\n\r\n"
             "See the attachment.\r\n--b\r\nContent-Type: application/octet-stream; name=\"big.bin\"\r\n"
             "Content-Transfer-Encoding: base64\r\n\r\n");
    std::string block;
    for (int line = 0; line < (1 << 20) / (LineLength + 2); ++line)
        block += std::string(LineLength, 'Q') + "\r\n";
    for (long long sent = 0; sent < MessageSize; sent += static_cast<long long>(block.size()))
        sendText(socket, block);
    sendText(socket, "--b--\r\n.\r\n");
}

// Plays a POP3 server for one session: every command accepted, RETR sends a
// large message. Reads a command a byte at a time: commands are few.
void serve(int listener, int messages)
{
    const int socket = ::accept(listener, nullptr, nullptr);
    if (socket < 0)
        _exit(1);
    sendText(socket, "+OK ready\r\n");
    std::string line;
    char c = 0;
    while (::recv(socket, &c, 1, 0) == 1) {
        if (c != '\n') {
            line += c;
            continue;
        }
        const std::string size = std::to_string(MessageSize);
        if (line.rfind("STAT", 0) == 0)
            sendText(socket, "+OK " + std::to_string(messages) + ' ' + size + "\r\n");
        else if (line.rfind("LIST", 0) == 0)
            sendText(socket, "+OK " + line.substr(5, line.size() - 6) + ' ' + size + "\r\n");
        else if (line.rfind("RETR", 0) == 0) {
            sendText(socket, "+OK\r\n");
            sendMessage(socket);
        } else
            sendText(socket, "+OK\r\n");
        if (line.rfind("QUIT", 0) == 0)
            break;
        line.clear();
    }
    ::close(socket);
    _exit(0);
}

// Listens on a free loopback port; returns the listening socket and its port.
std::pair<int, int> listenOnLoopback()
{
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&address), length) != 0
        || ::listen(listener, 1) != 0 || ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return {-1, 0};
    return {listener, ntohs(address.sin_port)};
}

// In a child process of its own: retrieves the mailbox and prints the peak.
void retrieve(int port, int messages)
{
    int argc = 1;
    char name[] = "bench_retrieve_peak";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    QTemporaryDir store;
    TmsStoringPOP pop;
    TrkSessionOptions options = pop.Options();
    options.Server = QStringLiteral("127.0.0.1:%1").arg(port);
    pop.SetOptions(options);
    pop.UserName = QStringLiteral("tester");
    pop.Password = QStringLiteral("secret");
    const long before = peakMegabytes();
    try {
        pop.RetrieveMailbox(TmsAfterRetrieve::Delete, store.path());
    } catch (const Exception& e) {
        std::printf("retrieval failed: %s\n", qPrintable(e.Message));
        return;
    }
    const long peak = peakMegabytes();
    const long total = long(messages * (MessageSize >> 20));
    std::printf(
        "retrieve %d x %lld MB into the store: peak %ld MB = %.2fx the mail (%ld stored; floor: %ld MB "
        "before retrieving)\n",
        messages, MessageSize >> 20, peak, double(peak) / double(total), long(pop.StoredCount()), before);
}

void runCase(int messages)
{
    const auto [listener, port] = listenOnLoopback();
    if (listener < 0) {
        std::printf("no loopback port to listen on\n");
        return;
    }
    const pid_t server = fork();
    if (server == 0)
        serve(listener, messages);
    ::close(listener);
    const pid_t client = fork();
    if (client == 0) {
        retrieve(port, messages);
        std::fflush(stdout);
        _exit(0);
    }
    waitpid(client, nullptr, 0);
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
}

} // namespace

int main()
{
    for (int messages : {1, 2})
        runCase(messages);
    return 0;
}
