#include "RichEditFiles.h"

#include "toolkit/Exception.h"
#include "toolkit/rtf/RtfReader.h"

#include <QFile>
#include <QSaveFile>
#include <QTextDocument>

#include <cerrno>

namespace RichEditFiles {

namespace {

constexpr int rtfMarkSize = 5; // "{\\rtf"

QString reasonOf(const QFileDevice& file)
{
    return errno ? Errors::SystemReason(errno) : file.errorString();
}

} // namespace

QByteArray read(const QString& fileName)
{
    QFile file(fileName);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly))
        throw EFOpenError(Errors::FileOpen(fileName, reasonOf(file)));
    QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Exception(QStringLiteral("Failed to Load Stream"));
    return content;
}

void write(const QString& fileName, const QByteArray& content)
{
    QSaveFile file(fileName);
    file.setDirectWriteFallback(true);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        throw EFCreateError(Errors::FileCreate(fileName, reasonOf(file)));
    file.write(content);
    if (!file.commit())
        throw EFCreateError(Errors::FileCreate(fileName, reasonOf(file)));
}

bool startsAsRtf(const QString& fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) && Rtf::isRtf(file.read(rtfMarkSize));
}

QString plainText(const QTextDocument& document)
{
    QString text = document.toRawText();
    qsizetype kept = 0;
    for (QChar c : std::as_const(text)) {
        const char16_t u = c.unicode();
        if (u == QChar::ParagraphSeparator || u == QChar::LineSeparator)
            text[kept++] = u'\n';
        else if (u != 0xFDD0 && u != 0xFDD1 && u != QChar::ObjectReplacementCharacter)
            text[kept++] = c; // frame marks and object places are not text
    }
    text.truncate(kept);
    return text;
}

QByteArray encodeText(const QTextDocument& document, TTextFileFormat format)
{
    if (document.isEmpty())
        return {};
    const QString text = plainText(document);
    if (!RichEditEncoding::fits(text, format.encoding))
        format.encoding = TTextEncoding::Utf8;
    return RichEditEncoding::encode(text, format);
}

}
