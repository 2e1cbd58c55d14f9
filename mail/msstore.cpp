// Numbered message files in a local mail store, written so that no message
// is ever lost: never over another, never cut short.
#include "mail/msstore.h"

#include "mail/msmsg.h"
#include "mail/msnewfile_p.h"
#include "mail/msstore_p.h"
#include "mail/msstreams.h"
#include "toolkit/Exception.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QScopeGuard>

#include <algorithm>
#include <limits>

namespace MailStore {

void WriteCounter(const QString& path, quint64 value)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw EFCreateError(Errors::FileCreate(path, file.errorString()));
    file.write(QByteArray::number(value) + "\r\n");
    if (!file.commit())
        throw EFCreateError(Errors::FileCreate(path, file.errorString()));
}

std::optional<TCounter> ReadCounter(const QString& path)
{
    QFile file(path);
    if (!file.exists())
        return std::nullopt;
    if (!file.open(QIODevice::ReadOnly))
        throw EFOpenError(Errors::FileOpen(path, file.errorString()));
    QByteArray line = file.readLine(256);
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    bool ok = !line.isEmpty() && std::all_of(line.begin(), line.end(), [](char c) { return c >= '0' && c <= '9'; });
    const quint64 value = ok ? line.toULongLong(&ok) : 0;
    if (!ok || value > quint64(std::numeric_limits<qint64>::max()) / 2)
        throw EConvertError(QStringLiteral("The mail store counter %1 does not hold a number: '%2'")
                                .arg(QDir::toNativeSeparators(path), QString::fromUtf8(line.left(40))));
    return TCounter{line, value};
}

QString StoreMessage(const QString& directory, const TStoreKind& kind, TmsCustomMessage& message)
{
    const QDir dir(directory);
    if (!dir.mkpath(QStringLiteral(".")))
        throw EFCreateError(Errors::FileCreate(directory, QStringLiteral("the directory cannot be created")));
    const QString counter = dir.filePath(kind.counter);
    const TCounter first = ReadCounter(counter).value_or(TCounter{"0", 0});
    const quint64 number = first.value;
    const auto fileName = [&](qint64 index) {
        const QByteArray n = index == 0 ? first.text : QByteArray::number(number + quint64(index));
        return dir.filePath(kind.prefix + QString::fromLatin1(n) + QStringLiteral(".eml"));
    };
    // The empty file holds the number while the text is written beside it.
    const TNewFile file = CreateFirstFreeFile(fileName);
    CloseEmpty(file);
    auto release = qScopeGuard([&file] { QFile::remove(file.name); });
    TTempFileStream text(dir.path());
    try {
        message.SaveToStream(text);
    } catch (const EStreamError&) {
        throw EFCreateError(Errors::FileCreate(file.name, text.ErrorString()));
    }
    text.CommitAs(file.name);
    WriteCounter(counter, number + quint64(file.index) + 1);
    release.dismiss();
    return file.name;
}

} // namespace MailStore
