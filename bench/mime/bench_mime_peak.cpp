// Peak memory of decoding one message whose body is a single 200 MB line,
// beside the floor: the message text itself, which the decoder reads whole.
#include "mail/model/message.h"

#include <QFile>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>

namespace {

long peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

} // namespace

int main()
{
    constexpr qint64 bodySize = 200LL << 20;
    QTemporaryDir dir;
    const QString name = dir.filePath("big.eml");
    {
        QFile file(name);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        file.write(
            "From: a@x.test\r\nTo: b@y.test\r\nSubject: one long line\r\nMIME-Version: 1.0\r\n"
            "Content-Type: text/plain; charset=us-ascii\r\n\r\n");
        const QByteArray block(1 << 20, 'x');
        for (qint64 written = 0; written < bodySize; written += block.size())
            file.write(block);
        file.write("\r\n");
    }
    const long before = peakMegabytes();
    TmsMessage message;
    message.LoadFromFile(name);
    const long peak = peakMegabytes();
    const double size = double(bodySize >> 20);
    std::printf(
        "decode 200 MB single-line body: peak %ld MB = %.2fx the message (target under 3x; "
        "floor 1x, the text read whole; before loading %ld MB)\n",
        peak, double(peak) / size, before);
    return 0;
}
