#include "tools/pvmail/pvseen.h"

#include "net/pop3/seen_ids.h"
#include "toolkit/Exception.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>


namespace {

QString named(const QString& path)
{
    return QStringLiteral("the seen file \"%1\"").arg(QDir::toNativeSeparators(path));
}

void checkReadable(const QString& path)
{
    QFile file(path);
    if (!file.exists())
        return;
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly))
        throw EFOpenError(
            QStringLiteral("%1 cannot be read: %2. Give a file pvmail may read and write.")
                .arg(named(path), QFileInfo(path).isDir() ? QStringLiteral("it is a directory") : file.errorString()));
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (qsizetype number = 0; number < lines.size(); ++number)
        if (!lines[number].isEmpty() && !IsUniqueId(lines[number]))
            throw EConvertError(QStringLiteral("%1 is damaged: line %2 is no unique id. Remove it, and mail left "
                                               "on the server is fetched once more.")
                                    .arg(named(path))
                                    .arg(number + 1));
}

// The file is rewritten as a new file renamed over it, so what counts is
// whether one can be made in its directory.
void checkWritable(const QString& path)
{
    const QString directory = QFileInfo(path).absolutePath();
    QTemporaryFile probe(path + QStringLiteral(".XXXXXX"));
    const bool writable = QDir().mkpath(directory) && probe.open();
    if (!writable)
        throw EFCreateError(
            QStringLiteral("%1 cannot be written: no file can be made in \"%2\"%3. Give a file "
                           "pvmail may read and write.")
                .arg(named(path), QDir::toNativeSeparators(directory),
                     probe.errorString().isEmpty() ? QString() : QStringLiteral(" (%1)").arg(probe.errorString())));
}

} // namespace

QString PvSeenFile(const QCommandLineParser& parser, TmsAfterRetrieve afterRetrieve)
{
    if (parser.isSet("seen-file"))
        return parser.value("seen-file");
    if (afterRetrieve == TmsAfterRetrieve::Delete)
        return SeenIdsPath(parser.value("server"), parser.value("user"));
    return {};
}

void PvCheckSeenFile(const QString& path)
{
    checkReadable(path);
    checkWritable(path);
}
