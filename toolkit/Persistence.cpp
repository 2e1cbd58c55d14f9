#include "toolkit/Persistence.h"

#include "toolkit/Exception.h"

#include <QDataStream>
#include <QIODevice>

namespace {

const quint32 storedFormMagic = 0x50565046; // "PVPF"

[[noreturn]] void invalidData()
{
    throw EReadError(QStringLiteral("Invalid property data"));
}

void writeValue(QDataStream& out, const TStoredValue& value)
{
    out << quint8(value.kind);
    if (value.kind == TStoredValue::String)
        out << value.text;
    else if (value.kind == TStoredValue::Integer)
        out << value.number;
}

TStoredValue readValue(QDataStream& in)
{
    quint8 kind = 0;
    in >> kind;
    TStoredValue value{TStoredValue::Kind(kind), {}, 0};
    if (kind == TStoredValue::String)
        in >> value.text;
    else if (kind == TStoredValue::Integer)
        in >> value.number;
    else if (kind != TStoredValue::ListBegin && kind != TStoredValue::ListEnd)
        invalidData();
    return value;
}

} // namespace

void TPersistent::Assign(const TPersistent& source)
{
    source.AssignTo(*this);
}

void TPersistent::AssignTo(TPersistent& target) const
{
    throw EConvertError(QStringLiteral("Cannot assign a %1 to a %2").arg(ClassName(), target.ClassName()));
}

void TPersistent::DefineProperties(TFiler&) {}

void TFiler::DefineObject(const QString& name, TPersistent& object)
{
    const QString outer = prefix;
    prefix = outer + name + QLatin1Char('.');
    object.DefineProperties(*this);
    prefix = outer;
}

void TWriter::DefineProperty(const QString& name, const ReadProc&, const WriteProc& write, bool hasData)
{
    if (!hasData)
        return;
    properties.append({qualified(name), {}});
    write(*this);
}

QByteArray TWriter::Data() const
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << storedFormMagic << quint32(properties.size());
    for (const auto& [name, values] : properties) {
        out << name << quint32(values.size());
        for (const TStoredValue& value : values)
            writeValue(out, value);
    }
    return bytes;
}

TReader::TReader(const QByteArray& stored)
{
    QDataStream in(stored);
    quint32 magic = 0, count = 0;
    in >> magic >> count;
    if (magic != storedFormMagic)
        invalidData();
    for (quint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        QString name;
        quint32 valueCount = 0;
        in >> name >> valueCount;
        QList<TStoredValue> values;
        for (quint32 v = 0; v < valueCount && in.status() == QDataStream::Ok; ++v)
            values.append(readValue(in));
        properties.insert(name, values);
    }
    if (in.status() != QDataStream::Ok)
        invalidData();
}

void TReader::DefineProperty(const QString& name, const ReadProc& read, const WriteProc&, bool)
{
    const auto found = properties.constFind(qualified(name));
    if (found == properties.constEnd())
        return;
    values = &found.value();
    position = 0;
    read(*this);
    const bool consumedAll = position == values->size();
    values = nullptr;
    if (!consumedAll)
        invalidData();
}

bool TReader::EndOfList() const
{
    if (!values || position >= values->size())
        invalidData();
    return values->at(position).kind == TStoredValue::ListEnd;
}

const TStoredValue& TReader::next(TStoredValue::Kind kind)
{
    if (!values || position >= values->size() || values->at(position).kind != kind)
        invalidData();
    return values->at(position++);
}

QByteArray WriteProperties(TPersistent& object)
{
    TWriter writer;
    object.DefineProperties(writer);
    return writer.Data();
}

void ReadProperties(TPersistent& object, const QByteArray& stored)
{
    TReader reader(stored);
    object.DefineProperties(reader);
    object.Loaded();
}
