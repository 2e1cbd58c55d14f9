#include "net/session/security.h"

QString SecurityName(TmsSecurity security)
{
    for (const TmsSecurityName& known : SecurityNames)
        if (known.security == security)
            return QLatin1String(known.name);
    return {};
}

std::optional<TmsSecurity> SecurityNamed(const QString& text)
{
    for (const TmsSecurityName& known : SecurityNames)
        if (text == QLatin1String(known.name))
            return known.security;
    return std::nullopt;
}
