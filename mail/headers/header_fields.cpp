#include "mail/headers/header_fields.h"

#include "mail/text/text_utils_p.h"

#include <algorithm>

namespace {

QByteArray fieldKey(const QByteArray& fieldName)
{
    return fieldName.endsWith(':') ? fieldName : fieldName + ':';
}

bool beginsWith(QByteArrayView text, QByteArrayView prefix)
{
    return text.size() >= prefix.size() && qstrnicmp(text.data(), prefix.size(), prefix.data(), prefix.size()) == 0;
}

qsizetype findField(const TmsHeaders& headers, const QByteArray& key, qsizetype from)
{
    for (qsizetype i = from; i < headers.size(); ++i)
        if (beginsWith(headers.at(i), key))
            return i;
    return -1;
}

// The field at index with its continuation lines, unfolded (line breaks
// removed, the leading blanks of the continuations kept); next is set to the
// line after the field.
QByteArray unfoldedValue(const TmsHeaders& headers, qsizetype index, qsizetype keyLength, qsizetype& next)
{
    QByteArray value = headers.at(index).mid(keyLength);
    for (next = index + 1; next < headers.size() && IsContinuationLine(headers.at(next)); ++next)
        value += headers.at(next);
    return value;
}

// Where the value of the named parameter begins, or -1. The name must stand
// as a whole parameter name: "name" is not found inside "filename".
qsizetype parameterValueStart(const QByteArray& value, const QByteArray& name)
{
    for (qsizetype at = 0; (at = value.indexOf(name, at)) >= 0; at += name.size()) {
        if (at > 0 && value[at - 1] != ';' && uchar(value[at - 1]) > 32)
            continue;
        qsizetype i = at + name.size();
        while (i < value.size() && uchar(value[i]) <= 32)
            ++i;
        if (i < value.size() && value[i] == '=')
            return i + 1;
    }
    return -1;
}

// More of a value than a decoded text of MaxTextLength characters is ever
// made of: encoded words are longer than their text, and only the blanks
// between them go. A field longer than that is read no further.
constexpr qsizetype maxDecodedValue = 64 * 1024;

// The first field of that name as it stands, continuation lines joined by
// single blanks, at most limit bytes: each line is copied only as far as
// the limit, as one may be most of a large message.
QByteArray rawValue(const TmsHeaders& headers, const QByteArray& key, qsizetype limit)
{
    const qsizetype index = findField(headers, key, 0);
    if (index < 0)
        return {};
    const auto appendCut = [limit](QByteArray& value, QByteArrayView text) {
        value.append(text.first(std::min(text.size(), limit - value.size())));
    };
    QByteArray value;
    appendCut(value, TrimmedView(QByteArrayView(headers.at(index)).sliced(key.size())));
    for (qsizetype i = index + 1; i < headers.size() && IsContinuationLine(headers.at(i)) && value.size() < limit;
         ++i) {
        value += ' ';
        appendCut(value, TrimmedView(headers.at(i)));
    }
    return value;
}

} // namespace

QByteArray GetHeaderField(const TmsHeaders& headers, const QByteArray& fieldName)
{
    const QByteArray name = fieldKey(fieldName).chopped(1).toUpper();
    if (name == "CONTENT-TYPE" || name == "X-UIDL")
        return RawHeaderField(headers, fieldName);
    return DecodeEncodedWords(rawValue(headers, fieldKey(fieldName), maxDecodedValue));
}

QByteArray RawHeaderField(const TmsHeaders& headers, const QByteArray& fieldName, qsizetype maxBytes)
{
    return rawValue(headers, fieldKey(fieldName), maxBytes);
}

bool IsContinuationLine(QByteArrayView line)
{
    return line.startsWith(' ') || line.startsWith('\t');
}

void GetHeaderAddresses(const TmsHeaders& headers, const QByteArray& fieldName, TmsAddressList& list)
{
    const QByteArray key = fieldKey(fieldName);
    qsizetype next = 0;
    for (qsizetype index; (index = findField(headers, key, next)) >= 0;) {
        // A field on one line is read in place: it may be most of a large message.
        if (index + 1 == headers.size() || !IsContinuationLine(headers.at(index + 1))) {
            ParseAddressList(QByteArrayView(headers.at(index)).sliced(key.size()), list);
            next = index + 1;
        } else {
            ParseAddressList(unfoldedValue(headers, index, key.size(), next), list);
        }
    }
}

void RemoveHeaderField(TmsHeaders& headers, const QByteArray& fieldName)
{
    const QByteArray key = fieldKey(fieldName);
    for (qsizetype index = 0; (index = findField(headers, key, index)) >= 0;) {
        headers.removeAt(index);
        while (index < headers.size() && IsContinuationLine(headers.at(index)))
            headers.removeAt(index);
    }
}

QByteArray GetHeaderParameter(const QByteArray& parameterName, const QByteArray& headerValue)
{
    const QByteArray value = headerValue.toUpper();
    const qsizetype start = parameterValueStart(value, parameterName.toUpper());
    if (start < 0)
        return {};
    const QByteArray rest = Trim(QByteArrayView(headerValue).sliced(start));
    if (rest.startsWith('"'))
        return Trim(UnquotedString(rest));
    qsizetype end = 0;
    while (end < rest.size() && uchar(rest[end]) > 32 && rest[end] != ';')
        ++end;
    return rest.left(end);
}

QByteArray ExtractMimeType(const QByteArray& headerValue)
{
    qsizetype end = 0;
    while (end < headerValue.size() && headerValue[end] != ' ' && headerValue[end] != ';')
        ++end;
    return Trim(QByteArrayView(headerValue).first(end));
}
