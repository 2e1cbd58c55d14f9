#include "RichEditFiles.h"

#include "RichEditFileNames.h"
#include "RichEditFileWriter.h"

#include "toolkit/Exception.h"
#include "toolkit/rtf/RtfReader.h"

#include <QFile>
#include <QTextBlock>
#include <QTextDocument>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace RichEditFiles {

namespace {

constexpr int rtfMarkSize = 5; // "{\\rtf"

QString reasonOf(const QFileDevice& file)
{
    return errno ? Errors::SystemReason(errno) : file.errorString();
}

// Opens the file by its bytes on disk, which Qt's own names may not reach.
bool openToRead(const QString& fileName, QFile& file)
{
    const int descriptor = ::open(RichEditFileNames::native(fileName).constData(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    if (file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return true;
    ::close(descriptor);
    return false;
}

bool isText(char16_t u)
{
    return u != 0xFDD0 && u != 0xFDD1
        && u != QChar::ObjectReplacementCharacter; // frame marks and object places are not
}

TLineEnd lineEndOf(const QTextBlock& block, TLineEnd otherwise)
{
    const int state = block.userState();
    return state >= int(TLineEnd::Lf) && state <= int(TLineEnd::Cr) ? TLineEnd(state) : otherwise;
}

// The text of the file: each block with its own end, a line break inside a
// block with the file's.
QString fileText(const QTextDocument& document, const TTextFileFormat& format)
{
    const QLatin1StringView lineBreak = RichEditEncoding::textOf(format.lineEnd);
    QString text;
    text.reserve(document.characterCount() + document.blockCount());
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (QChar c : block.text()) {
            if (c == QChar::LineSeparator)
                text += lineBreak;
            else if (isText(c.unicode()))
                text += c;
        }
        if (block.next().isValid() || format.finalLineEnd)
            text += RichEditEncoding::textOf(lineEndOf(block, format.lineEnd));
    }
    return text;
}

} // namespace

QByteArray read(const QString& fileName)
{
    QFile file;
    errno = 0;
    if (!openToRead(fileName, file))
        throw EFOpenError(Errors::FileOpen(fileName, reasonOf(file)));
    QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Exception(QStringLiteral("Failed to Load Stream"));
    return content;
}

void write(const QString& fileName, const QByteArray& content)
{
    RichEditFileWriter::write(fileName, content);
}

bool startsAsRtf(const QString& fileName)
{
    QFile file;
    return openToRead(fileName, file) && Rtf::isRtf(file.read(rtfMarkSize));
}

QString plainText(const QTextDocument& document)
{
    QString text = document.toRawText();
    qsizetype kept = 0;
    for (QChar c : std::as_const(text)) {
        const char16_t u = c.unicode();
        if (u == QChar::ParagraphSeparator || u == QChar::LineSeparator)
            text[kept++] = u'\n';
        else if (isText(u))
            text[kept++] = c;
    }
    text.truncate(kept);
    return text;
}

void setLineEnds(QTextDocument& document, const std::vector<TLineEnd>& lineEnds)
{
    auto end = lineEnds.begin();
    for (QTextBlock block = document.begin(); block.isValid() && end != lineEnds.end(); block = block.next())
        block.setUserState(int(*end++));
}

std::optional<QByteArray> encodeText(const QTextDocument& document, const TTextFileFormat& format)
{
    if (document.isEmpty())
        return QByteArray();
    return RichEditEncoding::encode(fileText(document, format), format.encoding);
}

}
