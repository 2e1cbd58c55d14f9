#pragma once
// Text of a declared character set made into UTF-8, the model's encoding.
#include <QByteArray>

// Converts through the system's converters. Text the named set cannot read
// (an unknown set, or bytes invalid in it) is kept as it is when it is valid
// UTF-8 and read as windows-1252 otherwise.
QByteArray ToUtf8(const QByteArray& text, const QByteArray& charset);

// The set is UTF-8 or a part of it ("utf-8", "utf8", "us-ascii", or none
// named): its text needs only a check, no conversion.
bool IsUtf8Charset(const QByteArray& charset);

QByteArray Windows1252ToUtf8(const QByteArray& text);
