#include "mail/model/message.h"

#include "mail/model/attachment_names_p.h"
#include "mail/store/new_file_p.h"
#include "mail/store/open_with_program.h"
#include "mail/model/stored_properties_p.h"
#include "mail/store/mail_streams.h"
#include "mail/text/text_utils_p.h"
#include "toolkit/Streams.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

TmsCustomMessage::TmsCustomMessage(QObject* owner) : QObject(owner) {}

TmsCustomMessage::~TmsCustomMessage()
{
    for (const QString& path : std::as_const(tempFiles))
        QFile::remove(path);
    if (tempDir)
        QDir().rmdir(tempDir->path());
}

void TmsCustomMessage::SetSubject(const QByteArray& value)
{
    subject = CutText(value);
}

void TmsCustomMessage::SetAttachments(const TmsAttList& list)
{
    attachments.Assign(list);
    storedContentType = attachments.Count() == 0 ? "text/plain" : "multipart/mixed";
}

QByteArray TmsCustomMessage::ContentType() const
{
    storedContentType = computeContentType();
    return storedContentType;
}

void TmsCustomMessage::SetContentType(const QByteArray& value)
{
    storedContentType = CutText(value.toLower());
}

QByteArray TmsCustomMessage::computeContentType() const
{
    if (encoding == meUU)
        return {};
    const qsizetype count = attachments.Count();
    bool allAlternatives = count > 0;
    for (qsizetype i = 0; i < count; ++i)
        allAlternatives = allAlternatives && IsAlternativeFile(attachments.Items(i));
    if (allAlternatives)
        return "multipart/alternative";
    if (!body.isEmpty())
        return count > 0 ? "multipart/mixed" : storedContentType.isEmpty() ? "text/plain" : storedContentType;
    if (count == 0)
        return "text/plain";
    if (count > 1)
        return "multipart/mixed";
    const QByteArray bodyType = BodyFileType(attachments.Items(0));
    return bodyType.isEmpty() ? attachments.Items(0).ContentType() : bodyType;
}

void TmsCustomMessage::CheckRequired() const
{
    if (sender.Address().isEmpty())
        throw EMessageError(QStringLiteral("The address of sender is required"));
}

void TmsCustomMessage::Clear()
{
    body.clear();
    attachments.Clear();
    sender.Clear();
    headers.clear();
    subject.clear();
    receivedText.clear();
    encoding = meMIME;
    charSet = csUSASCII;
    storedContentType.clear();
}

void TmsCustomMessage::SaveToFile(const QString& fileName)
{
    TFileStream stream(fileName, TFileStream::fmCreate);
    if (receivedText.isEmpty())
        SaveToStream(stream);
    else
        stream.Write(receivedText);
}

void TmsCustomMessage::LoadFromFile(const QString& fileName)
{
    Clear();
    TFileStream file(fileName, TFileStream::fmOpenRead);
    TMemoryStream text(ReadToEnd(file));
    LoadFromStream(text);
}

QString TmsCustomMessage::SaveAttachment(qsizetype index, const QString& directory)
{
    const TmsAttItem& item = attachments.Items(index);
    QString path = directory;
    if (!path.isEmpty() && !path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    const QString name = QString::fromUtf8(SafeFileName(item.FileName(), index));
    const TNewFile file = CreateFirstFreeFile([&](qint64 k) { return path + NumberedFileName(name, k + 1); });
    WriteAndClose(file, item.Data().Bytes());
    return file.name;
}

void TmsCustomMessage::ExecuteAttachment(qsizetype index)
{
    if (attachments.Items(index).FileName().isEmpty())
        throw Exception(QStringLiteral("Unable to execute attachment #%1\nbecause file name is blank").arg(index));
    const QString path = SaveAttachment(index, temporaryDirectory());
    if (!tempFiles.contains(path))
        tempFiles.append(path);
    if (const int code = OpenWithAssociatedProgram(path))
        throw Exception(QStringLiteral("Error executing ShellExec.  Error code %1").arg(code));
}

// Attachments are opened from a directory only this user can enter, so no
// other account can plant a file or link under the names they are saved as.
QString TmsCustomMessage::temporaryDirectory()
{
    if (!tempDir) {
        auto dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/ms-XXXXXX"));
        if (!dir->isValid())
            throw EFCreateError(Errors::FileCreate(dir->path(), dir->errorString()));
        dir->setAutoRemove(false);
        tempDir = std::move(dir);
    }
    return tempDir->path();
}

void TmsCustomMessage::Assign(const TPersistent& source)
{
    const auto* other = dynamic_cast<const TmsCustomMessage*>(&source);
    if (!other)
        return TPersistent::Assign(source);
    if (other == this)
        return;
    sender.Assign(other->sender);
    subject = other->subject;
    encoding = other->encoding;
    charSet = other->charSet;
    headers = other->headers;
    body = other->body;
    attachments.Assign(other->attachments);
    receivedText = other->receivedText;
    storedContentType = other->ContentType();
    tag = other->tag;
}

void TmsCustomMessage::DefineProperties(TFiler& filer)
{
    filer.DefineObject(QStringLiteral("Attachments"), attachments);
    DefineText(
        filer, QStringLiteral("ContentType"), [this] { return ContentType(); },
        [this](const QByteArray& v) { SetContentType(v); });
    DefineNumber(
        filer, QStringLiteral("Encoding"), [this] { return int(encoding); },
        [this](int v) { encoding = TMsgEncoding(v); }, meUU, meMIME);
    filer.DefineObject(QStringLiteral("Sender"), sender);
    DefineText(
        filer, QStringLiteral("Subject"), [this] { return subject; }, [this](const QByteArray& v) { SetSubject(v); });
    DefineNumber(
        filer, QStringLiteral("CharSet"), [this] { return int(charSet); }, [this](int v) { charSet = TCharSet(v); },
        csUTF8, csUSASCII);
    DefineLines(filer, QStringLiteral("Headers"), headers);
    DefineLines(filer, QStringLiteral("Body"), body);
}

void TmsCustomMessage::Loaded()
{
    for (qsizetype i = 0; i < attachments.Count(); ++i) {
        TmsAttItem& item = attachments.Items(i);
        item.Data().LoadFromFile(QString::fromUtf8(item.FileName()));
    }
}
