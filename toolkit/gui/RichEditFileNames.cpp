#include "RichEditFileNames.h"

#include "RichEditCodec.h"

namespace RichEditFileNames {

// Linux names files in UTF-8, but any byte but '/' and NUL may stand in a
// name; Qt's own conversion turns the others into U+FFFD, which names no
// file. The text codec keeps them as placeholders that convert back.
QByteArray native(const QString& fileName)
{
    return RichEditCodec::encode(fileName, "UTF-8").value_or(fileName.toUtf8());
}

QString fromNative(const QByteArray& fileName)
{
    return RichEditCodec::decode(fileName, "UTF-8").text;
}

QStringList commandLine(int argc, const char* const* argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << fromNative(QByteArray(argv[i]));
    return arguments;
}

}
