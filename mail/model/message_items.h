#pragma once
// The value objects messages are built from: mail addresses, attachments,
// their lists, and the raw header lines; and the enumerations of messages.
// Texts are UTF-8 bytes of at most MaxTextLength characters, cut on entry.
#include "toolkit/Exception.h"
#include "toolkit/Persistence.h"
#include "toolkit/StringList.h"
#include "toolkit/Streams.h"

#include <QByteArray>
#include <functional>
#include <memory>
#include <vector>

// Numeric values are positions and are stored as such.
enum TMsgEncoding { meMIME, meUU };
enum TCharSet { csUSASCII, csISO8859, csUTF8 };
enum TPriority { ptLow, ptNormal, ptHigh };
enum TAttEncoding { ae7Bit, aeBase64, aeQuotedPrintable };

// Display names of TAttEncoding, as written after "Content-Transfer-Encoding: ".
extern const char* const AttEncodingNames[3];

class TmsMailAddress : public TPersistent {
public:
    // Edit runs the address dialog installed here by the window layer.
    using Editor = std::function<void(TmsMailAddress&)>;
    static void SetEditor(Editor editor);

    QString ClassName() const override { return QStringLiteral("TmsMailAddress"); }
    void Assign(const TPersistent& source) override;
    void DefineProperties(TFiler& filer) override;
    virtual void Edit();

    const QByteArray& Name() const { return name; }
    const QByteArray& Address() const { return address; }
    void SetName(const QByteArray& value);
    void SetAddress(const QByteArray& value);
    void Clear();

private:
    QByteArray name;
    QByteArray address;
};

// An owning list; Items raises EListError for an index out of range.
template <class Item>
class TmsOwningList : public TPersistent {
public:
    qsizetype Count() const { return qsizetype(items.size()); }
    Item& Items(qsizetype index) { return *items.at(checked(index)); }
    const Item& Items(qsizetype index) const { return *items.at(checked(index)); }
    qsizetype Add(std::unique_ptr<Item> item)
    {
        items.push_back(std::move(item));
        return Count() - 1;
    }
    void Clear()
    {
        while (!items.empty())
            items.pop_back();
    }
    // A deep copy of a list of the same kind of entries.
    void Assign(const TPersistent& source) override
    {
        const auto* other = dynamic_cast<const TmsOwningList*>(&source);
        if (!other)
            return TPersistent::Assign(source);
        if (other == this)
            return;
        Clear();
        for (const auto& item : other->items) {
            auto copy = std::make_unique<Item>();
            copy->Assign(*item);
            Add(std::move(copy));
        }
    }

protected:
    qsizetype checked(qsizetype index) const
    {
        if (index < 0 || index >= Count())
            throw EListError(Errors::ListIndex(index));
        return index;
    }
    std::vector<std::unique_ptr<Item>> items;
};

class TmsAddressList : public TmsOwningList<TmsMailAddress> {
public:
    QString ClassName() const override { return QStringLiteral("TmsAddressList"); }
    void DefineProperties(TFiler& filer) override;
    // Address first, then name.
    qsizetype AddAddress(const QByteArray& address, const QByteArray& name);
};

class TmsAttItem : public TPersistent {
public:
    QString ClassName() const override { return QStringLiteral("TmsAttItem"); }
    void Assign(const TPersistent& source) override;

    TMemoryStream& Data() { return data; }
    const TMemoryStream& Data() const { return data; }
    // Replaces the data, its position at the start; shares the bytes, no copy.
    void SetData(const QByteArray& bytes) { data = TMemoryStream(bytes); }
    const QByteArray& FileName() const { return fileName; }
    const QByteArray& ContentType() const { return contentType; }
    TAttEncoding Encoding() const { return encoding; }
    // A non-empty name also guesses ContentType and Encoding from its extension.
    void SetFileName(const QByteArray& name);
    void SetContentType(const QByteArray& value);
    void SetEncoding(TAttEncoding value) { encoding = value; }

private:
    TMemoryStream data;
    QByteArray fileName;
    QByteArray contentType;
    TAttEncoding encoding = ae7Bit;
};

class TmsAttList : public TmsOwningList<TmsAttItem> {
public:
    QString ClassName() const override { return QStringLiteral("TmsAttList"); }
    void DefineProperties(TFiler& filer) override;
    // File errors pass to the caller and leave the list unchanged.
    qsizetype AddFile(const QString& fileName);
};

// Raw header lines, folded fields as several lines.
class TmsHeaders : public TStringList {
public:
    using TStringList::TStringList;
};

// The content type the file-type table gives the name's extension,
// "application/octet-stream" when it gives none.
QByteArray ContentTypeFromFileName(const QByteArray& fileName);
