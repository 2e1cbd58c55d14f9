// The counter file of a store: read without following a link, replaced by
// rename, so a link planted in the store never leads a write outside it.
#include "mail/store/mail_store_p.h"

#include "mail/store/mail_streams.h"
#include "toolkit/Exception.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <unistd.h>

namespace MailStore {

namespace {

constexpr qint64 longestCounterLine = 256;

// The counter's first line, or nullopt when there is no counter file.
std::optional<QByteArray> readFirstLine(const QString& path)
{
    const int handle = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (handle < 0 && errno == ENOENT)
        return std::nullopt;
    if (handle < 0 && errno == ELOOP)
        throw EFOpenError(Errors::FileOpen(
            QDir::toNativeSeparators(path),
            QStringLiteral("It is a symbolic link, which the mail store never follows: remove it, and the next "
                           "message stored writes a new counter.")));
    if (handle < 0)
        throw EFOpenError(Errors::FileOpen(QDir::toNativeSeparators(path), Errors::SystemReason(errno)));
    QFile file;
    if (!file.open(handle, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(handle);
        throw EFOpenError(Errors::FileOpen(QDir::toNativeSeparators(path), file.errorString()));
    }
    return file.readLine(longestCounterLine);
}

} // namespace

void WriteCounter(const QString& path, quint64 value)
{
    TTempFileStream file(QFileInfo(path).absolutePath());
    try {
        file.Write(QByteArray::number(value) + "\r\n");
    } catch (const EStreamError&) {
        throw EFCreateError(Errors::FileCreate(path, file.ErrorString()));
    }
    file.WriteOut(path);
    file.RenameTo(path); // replaces a link itself, never what it points to
}

std::optional<TCounter> ReadCounter(const QString& path)
{
    std::optional<QByteArray> line = readFirstLine(path);
    if (!line)
        return std::nullopt;
    while (line->endsWith('\n') || line->endsWith('\r'))
        line->chop(1);
    bool ok = !line->isEmpty() && std::all_of(line->begin(), line->end(), [](char c) { return c >= '0' && c <= '9'; });
    const quint64 value = ok ? line->toULongLong(&ok) : 0;
    if (!ok || value > quint64(std::numeric_limits<qint64>::max()) / 2)
        throw EConvertError(QStringLiteral("The mail store counter %1 does not hold a number: '%2'")
                                .arg(QDir::toNativeSeparators(path), QString::fromUtf8(line->left(40))));
    return TCounter{*line, value};
}

} // namespace MailStore
