// Encoding and decoding a message with a 20 MB attachment, beside a memcpy
// of the message text in the same run as the floor.
#include "bench/benchtiming.h"
#include "mail/mime/mime.h"

#include <QCoreApplication>

#include <QRandomGenerator>

#include <cstdio>
#include <cstring>
#include <functional>

namespace {

constexpr int rounds = 5;
constexpr qsizetype attachmentSize = 20 * 1000 * 1000;

double throughput(qsizetype bytes, const std::function<void()>& work)
{
    return BestThroughput(bytes, rounds, work);
}

void fillMessage(TmsMessage& message, TAttEncoding encoding)
{
    message.Sender().SetAddress("ann@example.org");
    message.Recipients().AddAddress("bob@example.org", "Bob");
    message.SetSubject("Large attachment");
    message.SetBody({"Please find the file attached.", ""});
    QByteArray data(attachmentSize, Qt::Uninitialized);
    QRandomGenerator(42).fillRange(reinterpret_cast<quint32*>(data.data()), attachmentSize / 4);
    if (encoding != aeBase64) // printable text with line breaks, as text attachments are
        for (qsizetype i = 0; i < data.size(); ++i)
            data[i] = i % 72 == 70 ? '\r' : i % 72 == 71 ? '\n' : char(' ' + uchar(data[i]) % 95);
    auto item = std::make_unique<TmsAttItem>();
    item->SetFileName("data.bin");
    item->SetEncoding(encoding);
    item->Data() = TMemoryStream(data);
    message.Attachments().Add(std::move(item));
}

void bench(const char* name, TAttEncoding encoding)
{
    TmsMessage message;
    fillMessage(message, encoding);
    TMemoryStream text;
    const double encode = throughput(attachmentSize, [&] { message.SaveToStream(text); });
    const qsizetype size = text.Size();
    const double decode = throughput(size, [&] {
        TmsMessage back;
        back.LoadFromStream(text);
        if (back.Attachments().Count() != 1 || back.Attachments().Items(0).Data().Size() != attachmentSize)
            std::fprintf(stderr, "decode lost the attachment\n");
    });
    const double copy = throughput(size, [&] {
        QByteArray to(size, Qt::Uninitialized);
        std::memcpy(to.data(), text.Bytes().constData(), size_t(size));
    });
    std::printf("%-20s encode %7.0f MB/s  decode %7.0f MB/s  (%.1f MB text; memcpy %6.0f MB/s)\n", name, encode, decode,
                double(size) / 1e6, copy);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    bench("20 MB base64", aeBase64);
    bench("20 MB quoted-print.", aeQuotedPrintable);
    return 0;
}
