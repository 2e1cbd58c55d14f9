#pragma once
// Text of a declared character set made into UTF-8, the model's encoding.
#include <QByteArray>

// Converts through the system's converters. Text the named set cannot read
// (an unknown set, or bytes invalid in it) is kept as it is when it is valid
// UTF-8 and read as windows-1252 otherwise.
QByteArray ToUtf8(const QByteArray& text, const QByteArray& charset);

bool IsValidUtf8(const QByteArray& text);
QByteArray Windows1252ToUtf8(const QByteArray& text);
