#include "RichEditFiles.h"

#include "toolkit/Exception.h"
#include "toolkit/rtf/RtfCodePage.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QTextDocument>

#include <cerrno>
#include <cstring>

namespace RichEditFiles {

namespace {

QString reasonOf(const QFileDevice& file)
{
    return errno ? Errors::SystemReason(errno) : file.errorString();
}

std::optional<QString> decodeBytes(const QByteArray& bytes)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(QStringDecoder::Utf16);   // reads and drops the mark
        return QString(utf16.decode(bytes));
    }
    if (std::memchr(bytes.constData(), 0, size_t(bytes.size())))
        return std::nullopt;
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    text.clear();
    Rtf::CodePageDecoder(1252).decode(bytes, text);
    return text;
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

std::optional<QString> decodeText(const QByteArray& bytes)
{
    std::optional<QString> text = decodeBytes(bytes);
    if (text && text->endsWith(u'\n')) {
        text->chop(1);
        if (text->endsWith(u'\r'))
            text->chop(1);
    }
    return text;
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
            text[kept++] = c;   // frame marks and object places are not text
    }
    text.truncate(kept);
    return text;
}

QByteArray encodeText(const QTextDocument& document)
{
    if (document.isEmpty())
        return {};
    QString text = plainText(document);
    text += u'\n';
    return text.toUtf8();
}

}
