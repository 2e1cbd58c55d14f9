// Peak memory of decoding a message of one 200 MB line, in each shape it
// comes in: a body of plain ASCII, 8-bit text in a declared set,
// quoted-printable, HTML, base64 data or text without MIME; a header field;
// a text without a header. Each shape is
// decoded in a child process of its own, so its peak is its own; the floor
// is the message text, which the decoder reads whole (1x). Shape names as
// arguments run only those shapes.
#include "mail/model/message.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr qint64 bodySize = 200LL << 20;
constexpr qint64 blockSize = 1 << 20;

#define HEAD "From: a@x.test\r\nTo: b@y.test\r\nSubject: one long line\r\n"
#define MIME HEAD "MIME-Version: 1.0\r\n"

struct Shape {
    const char* name;
    const char* head; // the text before the long line
    const char* unit; // repeated to fill the line
};

const Shape shapes[] = {
    {"ascii text", MIME "Content-Type: text/plain; charset=us-ascii\r\n\r\n", "x"},
    {"latin-1 text", MIME "Content-Type: text/plain; charset=iso-8859-1\r\nContent-Transfer-Encoding: 8bit\r\n\r\n",
     "caf\xE9"},
    {"utf-8 text", MIME "Content-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: 8bit\r\n\r\n",
     "caf\xC3\xA9"},
    {"quoted-printable text",
     MIME "Content-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n",
     "caf=C3=A9"},
    {"html", MIME "Content-Type: text/html; charset=utf-8\r\n\r\n", "<b>x</b>"},
    {"base64 file",
     MIME "Content-Type: application/octet-stream; name=a.bin\r\nContent-Transfer-Encoding: base64\r\n\r\n", "AAAA"},
    {"no MIME", HEAD "\r\n", "x"},
    {"header field", HEAD "X-Long: ", "x "},
    {"8-bit header field", HEAD "X-Long: ", "caf\xE9 "},
    {"address field", HEAD "Cc: ", "a@x.test, "},
    {"subject", "From: a@x.test\r\nTo: b@y.test\r\nSubject: ", "x "},
    {"content type", MIME "Content-Type: text/plain; charset=us-ascii; x=", "x"},
    {"no header", "", "x"},
};

long peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

bool writeMessage(const QString& name, const Shape& shape)
{
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(shape.head);
    const qsizetype unitSize = qsizetype(std::strlen(shape.unit));
    const QByteArray block = QByteArray(shape.unit).repeated(blockSize / unitSize);
    for (qint64 written = 0; written < bodySize; written += block.size())
        file.write(block);
    file.write("\r\n");
    return file.error() == QFileDevice::NoError;
}

// The child: decodes the file and prints its peak beside the file's size.
int decodeOne(const char* name, const char* fileName)
{
    const long before = peakMegabytes();
    TmsMessage message;
    message.LoadFromFile(QString::fromLocal8Bit(fileName));
    const long peak = peakMegabytes();
    const double size = double(QFile(QString::fromLocal8Bit(fileName)).size() >> 20);
    std::printf(
        "decode 200 MB single line, %-22s peak %5ld MB = %.2fx the message (target under 3x; floor 1x, the "
        "text read whole; before loading %ld MB)\n",
        name, peak, double(peak) / size, before);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--decode") == 0)
        return decodeOne(argv[2], argv[3]);
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("big.eml"));
    const QStringList chosen = app.arguments().mid(1); // shape names; none for all
    for (const Shape& shape : shapes) {
        if (!chosen.isEmpty() && !chosen.contains(QString::fromLatin1(shape.name)))
            continue;
        if (!writeMessage(name, shape)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(name));
            return 1;
        }
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--decode"), QString::fromLatin1(shape.name), name});
        if (!child.waitForFinished(-1) || child.exitCode() != 0)
            std::fprintf(stderr, "%s: the decoding failed\n", shape.name);
    }
    return 0;
}
