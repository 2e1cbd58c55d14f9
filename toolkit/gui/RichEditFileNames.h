#pragma once
// File names as the system has them (bytes) and as the program holds them
// (QString), without loss: a name whose bytes are not UTF-8 still names its
// file.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace RichEditFileNames {

// The name's bytes on disk; a byte that is not UTF-8 stays that byte.
QByteArray native(const QString& fileName);
QString fromNative(const QByteArray& fileName);

// The arguments after the program's name, each as fromNative() holds it.
QStringList commandLine(int argc, const char* const* argv);

}
