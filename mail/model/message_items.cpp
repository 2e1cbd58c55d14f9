#include "mail/model/message_items.h"

#include "mail/model/attachment_names_p.h"
#include "mail/model/stored_properties_p.h"
#include "mail/text/text_utils_p.h"
#include "toolkit/Registry.h"

#include <QHash>

const char* const AttEncodingNames[3] = {"7 bit", "Base64", "Quoted-Printable"};

namespace {

TmsMailAddress::Editor& addressEditor()
{
    static TmsMailAddress::Editor editor;
    return editor;
}

TAttEncoding encodingForContentType(const QByteArray& contentType)
{
    const QByteArray type = contentType.toLower();
    if (type == "text/plain" || type == "text/rtf" || type == "text/html")
        return aeQuotedPrintable;
    if (type == "message/rfc822")
        return ae7Bit;
    return aeBase64;
}

} // namespace

void TmsMailAddress::SetEditor(Editor editor)
{
    addressEditor() = std::move(editor);
}

void TmsMailAddress::Assign(const TPersistent& source)
{
    const auto* other = dynamic_cast<const TmsMailAddress*>(&source);
    if (!other)
        return TPersistent::Assign(source);
    name = other->name;
    address = other->address;
}

void TmsMailAddress::DefineProperties(TFiler& filer)
{
    filer.DefineProperty(
        QStringLiteral("Name"), [this](TReader& r) { SetName(r.ReadString()); },
        [this](TWriter& w) { w.WriteString(name); }, !name.isEmpty());
    filer.DefineProperty(
        QStringLiteral("Address"), [this](TReader& r) { SetAddress(r.ReadString()); },
        [this](TWriter& w) { w.WriteString(address); }, !address.isEmpty());
}

void TmsMailAddress::Edit()
{
    if (addressEditor())
        addressEditor()(*this);
}

void TmsMailAddress::SetName(const QByteArray& value)
{
    name = CutText(value);
}

void TmsMailAddress::SetAddress(const QByteArray& value)
{
    address = CutText(value);
}

void TmsMailAddress::Clear()
{
    name.clear();
    address.clear();
}

void TmsAddressList::DefineProperties(TFiler& filer)
{
    const auto read = [this](TReader& r) {
        auto item = std::make_unique<TmsMailAddress>();
        item->SetName(r.ReadString());
        item->SetAddress(r.ReadString());
        Add(std::move(item));
    };
    const auto write = [this](TWriter& w, qsizetype i) {
        w.WriteString(items[i]->Name());
        w.WriteString(items[i]->Address());
    };
    DefineList(
        filer, QStringLiteral("Items"), Count(), [this] { Clear(); }, read, write);
}

qsizetype TmsAddressList::AddAddress(const QByteArray& address, const QByteArray& name)
{
    auto item = std::make_unique<TmsMailAddress>();
    item->SetAddress(address);
    item->SetName(name);
    return Add(std::move(item));
}

void TmsAttItem::Assign(const TPersistent& source)
{
    const auto* other = dynamic_cast<const TmsAttItem*>(&source);
    if (!other)
        return TPersistent::Assign(source);
    if (other == this)
        return;
    SetData(other->data.Bytes());
    contentType = other->contentType;
    encoding = other->encoding;
    fileName = other->fileName;
}

void TmsAttItem::SetFileName(const QByteArray& name)
{
    fileName = CutText(name);
    if (fileName.isEmpty())
        return;
    SetContentType(ContentTypeFromFileName(fileName));
    encoding = encodingForContentType(contentType);
}

void TmsAttItem::SetContentType(const QByteArray& value)
{
    contentType = CutText(value);
}

void TmsAttList::DefineProperties(TFiler& filer)
{
    const auto read = [this](TReader& r) {
        auto item = std::make_unique<TmsAttItem>();
        item->SetFileName(r.ReadString());
        item->SetContentType(r.ReadString());
        const qint64 encoding = r.ReadInteger();
        item->SetEncoding(encoding >= ae7Bit && encoding <= aeQuotedPrintable ? TAttEncoding(encoding) : ae7Bit);
        Add(std::move(item));
    };
    const auto write = [this](TWriter& w, qsizetype i) {
        w.WriteString(items[i]->FileName());
        w.WriteString(items[i]->ContentType());
        w.WriteInteger(items[i]->Encoding());
    };
    DefineList(
        filer, QStringLiteral("Items"), Count(), [this] { Clear(); }, read, write);
}

qsizetype TmsAttList::AddFile(const QString& fileName)
{
    auto item = std::make_unique<TmsAttItem>();
    item->SetFileName(fileName.toUtf8());
    item->Data().LoadFromFile(fileName);
    return Add(std::move(item));
}

QByteArray ContentTypeFromFileName(const QByteArray& fileName)
{
    const QByteArray bare = BareFileName(fileName);
    const qsizetype dot = bare.lastIndexOf('.');
    const QByteArray extension = dot < 0 ? QByteArray() : bare.mid(dot);
    // The system's type database is slow to ask and never changes while we
    // run; the bound keeps hostile names from growing the cache for ever.
    thread_local QHash<QByteArray, QByteArray> known;
    if (const auto it = known.constFind(extension); it != known.constEnd())
        return *it;
    QString result;
    TRegistry registry(HKEY_CLASSES_ROOT);
    if (!extension.isEmpty() && registry.OpenKey(QString::fromUtf8(extension), false))
        result = registry.ReadString(QStringLiteral("Content Type"));
    if (known.size() >= 256)
        known.clear();
    return known[extension] = result.isEmpty() ? QByteArrayLiteral("application/octet-stream") : result.toUtf8();
}
