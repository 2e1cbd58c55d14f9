#include "RichEditFileWriter.h"

#include "RichEditFileNames.h"

#include "toolkit/Exception.h"


#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace RichEditFileWriter {

namespace {

// A file descriptor closed when it goes out of scope.
class FileHandle {
public:
    explicit FileHandle(int descriptor) : descriptor(descriptor) {}
    ~FileHandle()
    {
        if (descriptor >= 0)
            ::close(descriptor);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    int get() const { return descriptor; }
    // false, with errno set, when closing reports a failed write.
    bool close()
    {
        const int result = ::close(descriptor);
        descriptor = -1;
        return result == 0;
    }

private:
    int descriptor;
};

struct Failure {
    int error; // errno
};

void check(bool ok)
{
    if (!ok)
        throw Failure{errno};
}

void writeAll(int descriptor, const QByteArray& content)
{
    const char* next = content.constData();
    qsizetype left = content.size();
    // Each round writes at least one byte or fails: bounded by the size.
    while (left > 0) {
        const ssize_t written = ::write(descriptor, next, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        check(written > 0);
        next += written;
        left -= written;
    }
    check(::fsync(descriptor) == 0);
}

// The name a save writes to: a symbolic link's target (itself possibly not
// there yet), else the name itself.
QByteArray targetOf(const QByteArray& name)
{
    struct stat link {};
    if (::lstat(name.constData(), &link) != 0 || !S_ISLNK(link.st_mode))
        return name;
    if (char* resolved = ::realpath(name.constData(), nullptr)) {
        QByteArray target(resolved);
        std::free(resolved);
        return target;
    }
    QByteArray target(PATH_MAX, Qt::Uninitialized);
    const ssize_t size = ::readlink(name.constData(), target.data(), size_t(target.size()));
    if (size < 0 || size >= target.size())
        return name; // the error of writing it says what is wrong
    target.truncate(size);
    const qsizetype slash = name.lastIndexOf('/');
    return target.startsWith('/') || slash < 0 ? target : name.left(slash + 1) + target;
}

// A new file beside target holding content, under a short name: the name
// QSaveFile would take (target plus a suffix) exceeds the file system's limit
// for names near it.
QByteArray writeBeside(const QByteArray& target, const QByteArray& content, const struct stat* existing)
{
    const qsizetype slash = target.lastIndexOf('/');
    QByteArray temporary = (slash < 0 ? QByteArray() : target.left(slash + 1)) + ".penvale-XXXXXX";
    FileHandle file(::mkstemp(temporary.data()));
    check(file.get() >= 0);
    try {
        if (existing) {
            check(::fchmod(file.get(), existing->st_mode & 07777) == 0);
            // Only root may give a file away; anyone else keeps the owner
            // they are, as any editor that replaces a file does.
            [[maybe_unused]] const int owned = ::fchown(file.get(), existing->st_uid, existing->st_gid);
        } else {
            const mode_t mask = ::umask(0);
            ::umask(mask);
            check(::fchmod(file.get(), 0666 & ~mask) == 0);
        }
        writeAll(file.get(), content);
        check(file.close());
    } catch (const Failure&) {
        ::unlink(temporary.constData());
        throw;
    }
    return temporary;
}

void writeInPlace(const QByteArray& target, const QByteArray& content)
{
    FileHandle file(::open(target.constData(), O_WRONLY | O_TRUNC | O_CLOEXEC));
    check(file.get() >= 0);
    writeAll(file.get(), content);
    check(file.close());
}

void replace(const QByteArray& target, const QByteArray& content, const struct stat* existing)
{
    const QByteArray temporary = writeBeside(target, content, existing);
    if (::rename(temporary.constData(), target.constData()) != 0) {
        const int error = errno;
        ::unlink(temporary.constData());
        throw Failure{error};
    }
}

// The new content goes to a copy first, so a failure while the file is
// rewritten in place leaves it on disk; the error names the copy.
void writeLinked(const QString& fileName, const QByteArray& target, const QByteArray& content,
                 const struct stat& existing)
{
    const QByteArray copy = writeBeside(target, content, &existing);
    try {
        writeInPlace(target, content);
    } catch (const Failure& failure) {
        throw EFCreateError(Errors::FileCreate(
            fileName, QStringLiteral("%1. The new text is kept in \"%2\"; copy it back once the cause is removed.")
                          .arg(Errors::SystemReason(failure.error), RichEditFileNames::fromNative(copy))));
    }
    ::unlink(copy.constData());
}

} // namespace

void write(const QString& fileName, const QByteArray& content)
{
    const QByteArray target = targetOf(RichEditFileNames::native(fileName));
    struct stat existing {};
    const bool exists = ::stat(target.constData(), &existing) == 0;
    if (exists && ::access(target.constData(), W_OK) != 0) // a read-only file stays as it is
        throw EFCreateError(Errors::FileCreate(fileName, Errors::SystemReason(errno)));
    try {
        if (exists && existing.st_nlink > 1)
            writeLinked(fileName, target, content, existing);
        else
            replace(target, content, exists ? &existing : nullptr);
    } catch (const Failure& failure) {
        // A directory that takes no new files still lets a writable file
        // be rewritten in place.
        if (!exists || (failure.error != EACCES && failure.error != EPERM))
            throw EFCreateError(Errors::FileCreate(fileName, Errors::SystemReason(failure.error)));
        try {
            writeInPlace(target, content);
        } catch (const Failure& inPlace) {
            throw EFCreateError(Errors::FileCreate(fileName, Errors::SystemReason(inPlace.error)));
        }
    }
}

}
