// Live writers are told from dead ones by a lock (flock) each holds on its
// reservation: the system drops it with the process, so a crash leaves
// files nobody holds.
#include "mail/store/store_leftovers_p.h"

#include "mail/store/store_files_p.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace MailStore {

namespace {

// The handles that hold this process's reservations. One is let go once its
// file is gone from the directory (no link left): its writer has ended.
class THeldReservations {
public:
    void Hold(const QString& reservation)
    {
        const std::lock_guard lock(mutex);
        releaseEnded();
        const int handle = ::open(QFile::encodeName(reservation).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (handle < 0)
            return; // unheld, it may be cleared: the writer's next name then fails, nothing stored is lost
        if (::flock(handle, LOCK_SH) != 0) {
            ::close(handle);
            return;
        }
        handles.push_back(handle);
    }

private:
    void releaseEnded()
    {
        const auto ended = std::remove_if(handles.begin(), handles.end(), [](int handle) {
            struct stat status {};
            if (::fstat(handle, &status) == 0 && status.st_nlink > 0)
                return false;
            ::close(handle);
            return true;
        });
        handles.erase(ended, handles.end());
    }

    std::mutex mutex;
    std::vector<int> handles;
};

THeldReservations& heldReservations()
{
    static THeldReservations held;
    return held;
}

// A file that cannot be opened to ask counts as held: it is left alone.
bool isHeld(const QString& path)
{
    const int handle = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (handle < 0)
        return errno != ENOENT;
    const bool held = ::flock(handle, LOCK_EX | LOCK_NB) != 0;
    ::close(handle);
    return held;
}

} // namespace

void StartWriting(const QString& directory, const TStoreKind& kind, const QString& reservation)
{
    heldReservations().Hold(reservation);
    RemoveLeftovers(directory, kind, reservation);
}

void RemoveLeftovers(const QString& directory, const TStoreKind& kind, const QString& spared)
{
    const TStoreFiles files = ReadStoreFiles(directory, kind);
    const QString sparedName = QFileInfo(spared).fileName();
    QStringList leftovers;
    for (const QString& temporary : files.temporary) {
        if (QFileInfo(temporary).fileName() == sparedName)
            continue;
        if (isHeld(temporary))
            return; // a writer at work: its names and texts are no leftovers
        leftovers.append(temporary);
    }
    for (const QString& temporary : std::as_const(leftovers))
        QFile::remove(temporary);
    for (const TNumberedFile& file : files.numbered)
        if (file.empty)
            QFile::remove(file.path);
}

} // namespace MailStore
