#include "RtfPicture.h"

#include "RtfKeywords.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QImage>
#include <QImageReader>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>

#include <algorithm>

namespace Rtf {

namespace {

// Bounds what a file can make us hold: encoded bytes and decoded pixels.
constexpr qsizetype MaxPictureBytes = 64 * 1024 * 1024;
constexpr qint64 MaxPicturePixels = 64 * 1024 * 1024;
constexpr qreal TwipsPerPixel = 15.0; // 1440 per inch at 96 pixels per inch

// The image in data, decoded only when its header's size is within bounds.
QImage decodeBounded(const QByteArray& data)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (!size.isValid() || qint64(size.width()) * size.height() > MaxPicturePixels)
        return {};
    return reader.read();
}

void appendHex(QByteArray& out, const QByteArray& bytes)
{
    const QByteArray hex = bytes.toHex();
    for (qsizetype i = 0; i < hex.size(); i += 128) {
        out += '\n';
        out += hex.mid(i, 128);
    }
}

} // namespace

void PictureReader::addHex(QLatin1StringView digits)
{
    if (!keepsData())
        return;
    for (const QChar c : digits) {
        const int digit = hexDigitValue(char(c.unicode()));
        if (digit < 0)
            continue;
        if (highNibble < 0) {
            highNibble = digit;
            continue;
        }
        if (data.size() >= MaxPictureBytes) {
            tooLarge = true;
            data.clear();
            return;
        }
        data += char(highNibble * 16 + digit);
        highNibble = -1;
    }
}

void PictureReader::addBinary(QByteArrayView bytes)
{
    if (!keepsData())
        return;
    if (data.size() + bytes.size() > MaxPictureBytes) {
        tooLarge = true;
        data.clear();
        return;
    }
    data += bytes;
}

void PictureReader::insert(QTextCursor& cursor, QByteArrayView source) const
{
    const QImage image = keepsData() ? decodeBounded(data) : QImage();
    QTextImageFormat format;
    // Named by content, so pictures pasted from another document never take
    // the name of one already here.
    const QString name = QStringLiteral("rtfpicture:")
                       + QString::fromLatin1(QCryptographicHash::hash(source, QCryptographicHash::Sha1).toHex());
    format.setName(name);
    format.setProperty(PictureSourceProperty, source.toByteArray());
    if (!image.isNull())
        cursor.document()->addResource(QTextDocument::ImageResource, QUrl(name), image);
    const qreal width = goalWidth > 0 ? goalWidth / TwipsPerPixel : image.width();
    const qreal height = goalHeight > 0 ? goalHeight / TwipsPerPixel : image.height();
    if (width > 0 && height > 0) {
        format.setWidth(width * std::clamp(scaleX, 1, 1000) / 100.0);
        format.setHeight(height * std::clamp(scaleY, 1, 1000) / 100.0);
    }
    cursor.insertImage(format);
}

QByteArray pictureGroupOf(const QTextImageFormat& format, const QTextDocument& document)
{
    const QByteArray source = format.property(PictureSourceProperty).toByteArray();
    if (!source.isEmpty())
        return source;
    const QVariant resource = document.resource(QTextDocument::ImageResource, QUrl(format.name()));
    const QImage image = resource.value<QImage>();
    if (image.isNull())
        return {};
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    const qreal width = format.width() > 0 ? format.width() : image.width();
    const qreal height = format.height() > 0 ? format.height() : image.height();
    QByteArray out = "{\\pict\\pngblip\\picw" + QByteArray::number(image.width()) + "\\pich"
                   + QByteArray::number(image.height()) + "\\picwgoal"
                   + QByteArray::number(qRound(width * TwipsPerPixel)) + "\\pichgoal"
                   + QByteArray::number(qRound(height * TwipsPerPixel));
    appendHex(out, png);
    return out + '}';
}

}
