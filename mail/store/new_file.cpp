// Exclusive creation of new files and names through POSIX open and link, the
// only ways to refuse a symbolic link and an existing name in one step.
#include "mail/store/new_file_p.h"

#include "toolkit/Exception.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

[[noreturn]] void failCreating(const QString& name, int error)
{
    throw EFCreateError(Errors::FileCreate(name, Errors::SystemReason(error)));
}

} // namespace

TNewFile CreateFirstFreeFile(const std::function<QString(qint64)>& candidate)
{
    for (qint64 index = 0;; ++index) {
        const QString name = candidate(index);
        const int handle = ::open(QFile::encodeName(name).constData(),
                                  O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (handle >= 0)
            return {name, index, handle};
        if (errno != EEXIST)
            failCreating(name, errno);
    }
}

void WriteAndClose(const TNewFile& file, QByteArrayView bytes)
{
    const char* next = bytes.data();
    qsizetype left = bytes.size();
    int error = 0;
    while (left > 0 && !error) {
        const ssize_t written = ::write(file.handle, next, size_t(left));
        if (written < 0 && errno != EINTR)
            error = errno;
        else if (written > 0)
            next += written, left -= written;
    }
    if (::close(file.handle) != 0 && !error && errno != EINTR)
        error = errno;
    if (error) {
        QFile::remove(file.name);
        failCreating(file.name, error);
    }
}

TNewFile LinkFirstFreeName(const QString& existing, const std::function<QString(qint64)>& candidate)
{
    const QByteArray target = QFile::encodeName(existing);
    for (qint64 index = 0;; ++index) {
        const QString name = candidate(index);
        if (::link(target.constData(), QFile::encodeName(name).constData()) == 0)
            return {name, index, -1};
        if (errno != EEXIST)
            failCreating(name, errno);
    }
}
