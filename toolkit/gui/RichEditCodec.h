#pragma once
// Conversion between a file's bytes and text in a named character set that
// keeps the bytes the set cannot decode, so they are written back unchanged.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

namespace RichEditCodec {

struct Decoded {
    QString text;
    qsizetype keptBytes = 0;     // bytes that did not decode, held as placeholders
    qsizetype nonAsciiChars = 0; // characters beyond ASCII that did decode
};

// charset: a name the system's iconv knows. Throws Exception when it knows
// none such.
Decoded decode(QByteArrayView bytes, const char* charset);
// Nothing when a character of text has no code in charset.
std::optional<QByteArray> encode(QStringView text, const char* charset);

}
