#pragma once
// A local mail store's counter file, read and written alike by storing and
// listing.
#include <QByteArray>
#include <QString>
#include <optional>

namespace MailStore {

// The counter's first line without its line end, and the number it holds.
struct TCounter {
    QByteArray text;
    quint64 value = 0;
};

// nullopt without a counter file. Raises EFOpenError when it cannot be read
// and EConvertError when its first line is no decimal number, or one too
// large to count on from.
std::optional<TCounter> ReadCounter(const QString& path);

// Replaces the counter whole or not at all (a torn counter would stop every
// later save); raises EFCreateError when it cannot be written.
void WriteCounter(const QString& path, quint64 value);

} // namespace MailStore
