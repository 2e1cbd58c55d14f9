#include "widgets/BrowseFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
QString existingOrHome(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir() ? QDir::cleanPath(path) : QDir::homePath();
}

QString location(QStandardPaths::StandardLocation type)
{
    return existingOrHome(QStandardPaths::writableLocation(type));
}
} // namespace

QString RootFolderPath(TSHFolders folder)
{
    switch (folder) {
    case foPrograms:
    case foStartMenu: return location(QStandardPaths::ApplicationsLocation);
    case foPersonal: return location(QStandardPaths::DocumentsLocation);
    case foStartup:
        return existingOrHome(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                              + QStringLiteral("/autostart"));
    case foDesktopDirectory: return location(QStandardPaths::DesktopLocation);
    case foFonts: return location(QStandardPaths::FontsLocation);
    case foTemplates: return existingOrHome(QDir::homePath() + QStringLiteral("/Templates"));
    default: return QStringLiteral("/");
    }
}
