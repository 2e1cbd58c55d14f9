#pragma once
// Objects that copy themselves from their own kind (Assign) and keep named
// properties in a stored form, so a component can be saved and restored
// with its lists. The stored form is private to this unit: a sequence of
// named properties, each a sequence of strings, integers and list markers.
// The mail model keeps its messages and their address and attachment lists
// this way (mail/model/stored_properties*).
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <functional>

class TFiler;
class TReader;
class TWriter;

class TPersistent {
public:
    virtual ~TPersistent() = default;
    virtual QString ClassName() const { return QStringLiteral("TPersistent"); }

    // Copies from an object of a compatible kind; any other kind raises
    // EConvertError "Cannot assign a <source> to a <target>".
    virtual void Assign(const TPersistent& source);
    virtual void DefineProperties(TFiler& filer);
    // Runs after the properties have been read back from their stored form.
    virtual void Loaded() {}

protected:
    virtual void AssignTo(TPersistent& target) const;
};

class TFiler {
public:
    using ReadProc = std::function<void(TReader&)>;
    using WriteProc = std::function<void(TWriter&)>;
    virtual ~TFiler() = default;

    // hasData tells the writer whether the property is stored at all.
    virtual void DefineProperty(const QString& name, const ReadProc& read, const WriteProc& write, bool hasData) = 0;
    // The properties of an owned object, stored under "name.".
    void DefineObject(const QString& name, TPersistent& object);

protected:
    QString qualified(const QString& name) const { return prefix + name; }

private:
    QString prefix;
};

// One stored value of a property.
struct TStoredValue {
    enum Kind : quint8 { ListBegin, ListEnd, String, Integer };
    Kind kind;
    QByteArray text;
    qint64 number = 0;
};

class TWriter : public TFiler {
public:
    void DefineProperty(const QString& name, const ReadProc& read, const WriteProc& write, bool hasData) override;
    void WriteListBegin() { current().append({TStoredValue::ListBegin, {}, 0}); }
    void WriteListEnd() { current().append({TStoredValue::ListEnd, {}, 0}); }
    void WriteString(const QByteArray& text) { current().append({TStoredValue::String, text, 0}); }
    void WriteInteger(qint64 value) { current().append({TStoredValue::Integer, {}, value}); }
    QByteArray Data() const;

private:
    QList<TStoredValue>& current() { return properties.back().second; }
    QList<std::pair<QString, QList<TStoredValue>>> properties;
};

// Reading raises EReadError "Invalid property data" on a damaged stored form
// or a value of the wrong kind.
class TReader : public TFiler {
public:
    explicit TReader(const QByteArray& stored);
    void DefineProperty(const QString& name, const ReadProc& read, const WriteProc& write, bool hasData) override;
    void ReadListBegin() { next(TStoredValue::ListBegin); }
    bool EndOfList() const;
    void ReadListEnd() { next(TStoredValue::ListEnd); }
    QByteArray ReadString() { return next(TStoredValue::String).text; }
    qint64 ReadInteger() { return next(TStoredValue::Integer).number; }

private:
    const TStoredValue& next(TStoredValue::Kind kind);
    QHash<QString, QList<TStoredValue>> properties;
    const QList<TStoredValue>* values = nullptr;
    qsizetype position = 0;
};

QByteArray WriteProperties(TPersistent& object);
// Reads the stored properties into the object, then runs its Loaded.
void ReadProperties(TPersistent& object, const QByteArray& stored);
