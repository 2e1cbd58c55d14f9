#include "toolkit/Exception.h"

#include <cstring>

namespace Errors {

QString ListIndex(qsizetype index)
{
    return QStringLiteral("List index out of bounds (%1)").arg(index);
}

QString FileOpen(const QString& fileName, const QString& reason)
{
    return QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, reason);
}

QString FileCreate(const QString& fileName, const QString& reason)
{
    return QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, reason);
}

QString SystemReason(int errnoValue)
{
    return QString::fromLocal8Bit(std::strerror(errnoValue));
}

} // namespace Errors
