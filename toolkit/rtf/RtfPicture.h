#pragma once
// Pictures in RTF: a \pict group read into the document as an image, and
// an image written back as a \pict group. Every picture read keeps its
// group's source, so kinds the document cannot show (metafiles, bitmaps)
// are written back unchanged where they stood.
#include <QByteArray>
#include <QTextFormat>

class QTextCursor;
class QTextDocument;
class QTextImageFormat;

namespace Rtf {

// The image format property holding the source of the \pict group read.
constexpr int PictureSourceProperty = QTextFormat::UserProperty + 1;

enum class PictureKind { Png, Jpeg, Other };

// One \pict group while it is read: its words and its hex or binary data.
class PictureReader {
public:
    void setKind(PictureKind kind) { pictureKind = kind; }
    void setGoalWidth(int twips) { goalWidth = twips; }
    void setGoalHeight(int twips) { goalHeight = twips; }
    void setScaleX(int percent) { scaleX = percent; }
    void setScaleY(int percent) { scaleY = percent; }
    void addHex(QLatin1StringView digits);
    void addBinary(QByteArrayView bytes);

    // Inserts the picture at cursor; source is the whole group.
    void insert(QTextCursor& cursor, QByteArrayView source) const;

private:
    bool keepsData() const { return pictureKind != PictureKind::Other && !tooLarge; }

    PictureKind pictureKind = PictureKind::Other;
    int goalWidth = 0, goalHeight = 0; // twips; 0: the image's own size
    int scaleX = 100, scaleY = 100;
    QByteArray data;
    int highNibble = -1; // the first digit of a byte whose second is to come
    bool tooLarge = false;
};

// The \pict group of an image: the source it was read from, else the
// document's image resource as PNG; empty when there is neither.
QByteArray pictureGroupOf(const QTextImageFormat& format, const QTextDocument& document);

}
