#include "toolkit/StringList.h"

#include "toolkit/Exception.h"
#include "toolkit/Streams.h"

#include <cstring>

const QByteArray& TStringList::Strings(qsizetype index) const
{
    if (index < 0 || index >= size())
        throw EListError(Errors::ListIndex(index));
    return at(index);
}

void TStringList::SetStrings(qsizetype index, const QByteArray& line)
{
    if (index < 0 || index >= size())
        throw EListError(Errors::ListIndex(index));
    (*this)[index] = line;
}

void TStringList::Delete(qsizetype index)
{
    if (index < 0 || index >= size())
        throw EListError(Errors::ListIndex(index));
    removeAt(index);
}

void TStringList::Insert(qsizetype index, const QByteArray& line)
{
    if (index < 0 || index > size())
        throw EListError(Errors::ListIndex(index));
    insert(index, line);
}

QByteArray TStringList::Text() const
{
    qsizetype total = 0;
    for (const QByteArray& line : *this)
        total += line.size() + 2;
    QByteArray text;
    text.reserve(total);
    for (const QByteArray& line : *this) {
        text += line;
        text += "\r\n";
    }
    return text;
}

// Lines end at CR LF, LF or a lone CR. The search runs through memchr, as
// this splits every message body the program reads.
void TStringList::SetText(const QByteArray& text)
{
    clear();
    const char* p = text.constData();
    const char* const end = p + text.size();
    while (p < end) {
        const auto* lf = static_cast<const char*>(std::memchr(p, '\n', end - p));
        const char* lineEnd = lf ? lf : end;
        if (const auto* cr = static_cast<const char*>(std::memchr(p, '\r', lineEnd - p)))
            lineEnd = cr;
        append(QByteArray(p, lineEnd - p));
        p = lineEnd;
        if (p < end && *p == '\r')
            ++p;
        if (p < end && *p == '\n')
            ++p;
    }
}

void TStringList::LoadFromStream(TStream& stream)
{
    SetText(stream.ReadAll());
}

void TStringList::SaveToStream(TStream& stream) const
{
    stream.Write(Text());
}

void TStringList::LoadFromFile(const QString& fileName)
{
    SetText(ReadWholeFile(fileName));
}

void TStringList::SaveToFile(const QString& fileName) const
{
    WriteWholeFile(fileName, Text());
}
