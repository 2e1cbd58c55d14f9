#pragma once
// How a plain-text file stores its characters and line ends, found when it is
// read, so that saving writes it back the same way.
#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>
#include <vector>

enum class TTextEncoding {
    Utf8,
    Utf8Bom,
    Utf16LE,
    Utf16BE,
    Windows1252,
    Iso8859_1,
    Iso8859_15,
    ShiftJis,
    EucJp,
    Gb18030,
    Big5,
    EucKr,
    Koi8R,
    Windows1251,
};

enum class TLineEnd : unsigned char { Lf, CrLf, Cr };

struct TTextFileFormat {
    TTextEncoding encoding = TTextEncoding::Utf8;
    TLineEnd lineEnd = TLineEnd::Lf; // the end of lines that have none of their own yet
    bool finalLineEnd = true;        // the last line has a line end too

    bool operator==(const TTextFileFormat&) const = default;
};

namespace RichEditEncoding {

struct Decoded {
    QString text; // the file's lines joined by "\n", without the final line end
    TTextFileFormat format;
    std::vector<TLineEnd> lineEnds; // each line's own end, in order
};

// Every encoding a file can be read and saved in, in menu order.
const QList<TTextEncoding>& all();
// The name the user sees, such as "windows-1252".
QString nameOf(TTextEncoding encoding);

// A byte-order mark chooses UTF-8 or UTF-16; bytes without one are UTF-8
// when they are valid UTF-8 (or nearly so), else what the detector finds,
// else windows-1252. Nothing when they are not text (NUL bytes outside
// UTF-16).
std::optional<Decoded> decode(const QByteArray& bytes);
// The bytes as text in encoding, whatever they hold.
Decoded decodeAs(const QByteArray& bytes, TTextEncoding encoding);

// text with its line ends in encoding; nothing when a character has no code
// there.
std::optional<QByteArray> encode(QStringView text, TTextEncoding encoding);

QLatin1StringView textOf(TLineEnd end);

}
