// Peak memory of retrieving large messages into the saved-mail store: one
// message of 200 MB and two, each with a base64 attachment, as the mailbox
// window retrieves them (TmsStoringPOP, each message deleted once stored) and
// as pvmail retrieve does (which decodes each message from its file to report
// its attachments). The POP3 server is a child process that makes each text
// as it sends it, so its memory is not counted; each retrieval runs in a
// process of its own, so its peak is its own. Beside it, the floor: the same
// process before retrieving, and the mail's size.
#include "mail/model/message.h"
#include "net/pop3/retrieve_to_store.h"
#include "toolkit/Exception.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
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

// pvmail retrieve into a store of its own; its peak, -1 when it failed.
long pvmailPeak(int port)
{
    QTemporaryDir store;
    const pid_t child = fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::setenv("PVMAIL_PASSWORD", "secret", 1);
        const std::string server = "127.0.0.1:" + std::to_string(port);
        const std::string directory = store.path().toStdString();
        ::execl(PVMAIL_PROGRAM, "pvmail", "retrieve", "--server", server.c_str(), "--user", "tester", "--store",
                directory.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? usage.ru_maxrss / 1024 : -1;
}

// The retrieval of the mailbox window, then pvmail's, each from a server of
// its own.
void runCase(int messages)
{
    for (const bool window : {true, false}) {
        const auto [listener, port] = listenOnLoopback();
        if (listener < 0) {
            std::printf("no loopback port to listen on\n");
            return;
        }
        const pid_t server = fork();
        if (server == 0)
            serve(listener, messages);
        ::close(listener);
        if (window) {
            const pid_t client = fork();
            if (client == 0) {
                retrieve(port, messages);
                std::fflush(stdout);
                _exit(0);
            }
            waitpid(client, nullptr, 0);
        } else {
            const long peak = pvmailPeak(port);
            const long total = long(messages * (MessageSize >> 20));
            std::printf("pvmail retrieve %d x %lld MB into the store: peak %ld MB = %.2fx the mail\n", messages,
                        MessageSize >> 20, peak, double(peak) / double(total));
            std::fflush(stdout); // before the next fork, which would print it again
        }
        kill(server, SIGTERM);
        waitpid(server, nullptr, 0);
    }
}

} // namespace

int main()
{
    for (int messages : {1, 2})
        runCase(messages);
    return 0;
}
