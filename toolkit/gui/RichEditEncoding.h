#pragma once
// How a plain-text file stores its characters and line ends, found when it is
// read, so that saving writes it back the same way.
#include <QByteArray>
#include <QString>
#include <optional>

enum class TTextEncoding { Utf8, Utf8Bom, Utf16LE, Utf16BE, Windows1252 };

struct TTextFileFormat {
    TTextEncoding encoding = TTextEncoding::Utf8;
    bool crlf = false;        // line ends CR LF rather than LF
    bool finalLineEnd = true; // the last line has a line end too

    bool operator==(const TTextFileFormat&) const = default;
};

namespace RichEditEncoding {

struct Decoded {
    QString text; // the file's text without its final line end
    TTextFileFormat format;
};

// Byte-order marks choose UTF-8 or UTF-16; bytes without one are UTF-8 when
// they are valid UTF-8, else Windows-1252. Nothing when they are not text
// (NUL bytes outside UTF-16).
std::optional<Decoded> decode(const QByteArray& bytes);

// Whether every character of text has a code in encoding.
bool fits(QStringView text, TTextEncoding encoding);
// text: lines joined by "\n". Characters the encoding lacks must have been
// ruled out with fits().
QByteArray encode(QString text, const TTextFileFormat& format);

}
