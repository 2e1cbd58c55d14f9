#include "widgets/BrowseFolder.h"

#include <QStringList>

QString ShortenPath(const QString& path, int limit)
{
    if (path.size() <= limit)
        return path;
    const QChar separator = QLatin1Char('/');
    QStringList parts = path.split(separator);
    // The root alone says nothing; with its first folder it names the area, as a drive does.
    if (parts.size() > 1 && parts.first().isEmpty()) {
        parts.removeFirst();
        parts.first().prepend(separator);
    }
    if (parts.size() <= 2)
        return path;
    parts[1] = QStringLiteral("...");
    QString shortened = parts.join(separator);
    while (shortened.size() > limit && parts.size() > 3) {
        parts.removeAt(2);
        shortened = parts.join(separator);
    }
    return shortened;
}
