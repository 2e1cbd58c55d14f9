// One pass over a store directory, sorting what it finds by name.
#include "mail/store/store_files_p.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <filesystem>
#include <limits>
#include <optional>

namespace MailStore {

namespace {

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The number of prefix + number + ".eml", written as MessageFile writes it
// (no leading zero); nullopt for any other name, and for a number no
// counter can hold.
std::optional<quint64> numberOf(const QString& name, const TStoreKind& kind)
{
    const QString extension = QStringLiteral(".eml");
    if (!name.startsWith(kind.prefix) || !name.endsWith(extension))
        return std::nullopt;
    const QStringView digits = QStringView(name).mid(kind.prefix.size()).chopped(extension.size());
    if (digits.isEmpty() || !std::all_of(digits.begin(), digits.end(), isDigit)
        || (digits.size() > 1 && digits.front() == QLatin1Char('0')))
        return std::nullopt;
    bool ok = false;
    const quint64 number = digits.toULongLong(&ok);
    if (!ok || number > quint64(std::numeric_limits<qint64>::max()))
        return std::nullopt;
    return number;
}

// QTemporaryFile's "msXXXXXX", the template of every temporary file the
// store makes beside its messages.
bool isTemporaryName(const QString& name)
{
    return name.size() == 8 && name.startsWith(QStringLiteral("ms"))
        && std::all_of(name.begin() + 2, name.end(), [](QChar c) { return c.isLetterOrNumber() && c.unicode() < 128; });
}

} // namespace

TStoreFiles ReadStoreFiles(const QString& directory, const TStoreKind& kind)
{
    TStoreFiles files;
    const QDir dir(directory);
    std::error_code failed;
    for (std::filesystem::directory_iterator next(QFile::encodeName(directory).toStdString(), failed), end;
         !failed && next != end; next.increment(failed)) {
        const std::filesystem::directory_entry& entry = *next;
        std::error_code unreadable;
        const bool plainFile = entry.is_regular_file(unreadable) && !entry.is_symlink(unreadable);
        const QString name = QFile::decodeName(entry.path().filename().c_str());
        if (plainFile && isTemporaryName(name)) {
            files.temporary.append(dir.filePath(name));
        } else if (const std::optional<quint64> number = numberOf(name, kind); number && entry.exists(unreadable)) {
            const bool empty = plainFile && entry.file_size(unreadable) == 0 && !unreadable;
            files.numbered.push_back({*number, dir.filePath(name), empty});
        }
    }
    std::sort(files.numbered.begin(), files.numbered.end(),
              [](const TNumberedFile& a, const TNumberedFile& b) { return a.number < b.number; });
    return files;
}

} // namespace MailStore
