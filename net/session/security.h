#pragma once
// How a connection is protected, and the names the settings give the choices.
#include <QString>

#include <optional>

// Tls shakes hands right after the connect; StartTls leaves the upgrade to
// the protocol, which calls StartTls once the server has agreed, and fails
// when the server does not offer it.
enum class TmsSecurity { None, StartTls, Tls };

// Every choice, by its name as the settings store and the dialog write it
// ("None", "STARTTLS", "TLS").
struct TmsSecurityName {
    TmsSecurity security;
    const char* name;
};
inline constexpr TmsSecurityName SecurityNames[] = {
    {TmsSecurity::None, "None"}, {TmsSecurity::StartTls, "STARTTLS"}, {TmsSecurity::Tls, "TLS"}};
QString SecurityName(TmsSecurity security);
// The choice named text; nothing for another text.
std::optional<TmsSecurity> SecurityNamed(const QString& text);
