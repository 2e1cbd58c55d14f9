// Allocation of numbered message files in a local mail store.
#include "mail/msstore.h"

#include "toolkit/Exception.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <limits>

namespace MailStore {

namespace {

// The counter as text, exactly as its first line holds it.
QByteArray ReadCounter(const QString& path)
{
    QFile file(path);
    if (!file.exists())
        return "0";
    if (!file.open(QIODevice::ReadOnly))
        throw EFOpenError(Errors::FileOpen(path, file.errorString()));
    QByteArray line = file.readLine(256);
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return line;
}

quint64 CounterValue(const QString& path, const QByteArray& text)
{
    bool ok = !text.isEmpty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    const quint64 value = ok ? text.toULongLong(&ok) : 0;
    if (!ok || value == std::numeric_limits<quint64>::max())
        throw EConvertError(QStringLiteral("The mail store counter %1 does not hold a number: '%2'")
                                .arg(QDir::toNativeSeparators(path), QString::fromUtf8(text.left(40))));
    return value;
}

// Replaced whole or not at all: a torn counter would stop every later save.
void WriteCounter(const QString& path, quint64 value)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw EFCreateError(Errors::FileCreate(path, file.errorString()));
    file.write(QByteArray::number(value) + "\r\n");
    if (!file.commit())
        throw EFCreateError(Errors::FileCreate(path, file.errorString()));
}

} // namespace

QString NextFileName(const QString& directory, const QString& prefix, const QString& counterName)
{
    const QDir dir(directory);
    if (!dir.mkpath(QStringLiteral(".")))
        throw EFCreateError(Errors::FileCreate(directory, QStringLiteral("the directory cannot be created")));
    const QString counter = dir.filePath(counterName);
    const QByteArray n = ReadCounter(counter);
    WriteCounter(counter, CounterValue(counter, n) + 1);
    return dir.filePath(prefix + QString::fromLatin1(n) + QStringLiteral(".eml"));
}

} // namespace MailStore
