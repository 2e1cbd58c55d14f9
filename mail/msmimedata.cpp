#include "mail/msmimedata.h"

#include "mail/mscoding.h"
#include "mail/mstext_p.h"

TransferEncoding ReadTransferEncoding(const QByteArray& value)
{
    const QByteArray name = Trim(value).toLower();
    if (name == "base64")
        return {aeBase64, false};
    if (name.startsWith("x-uue"))
        return {aeBase64, true};
    if (name == "quoted-printable")
        return {aeQuotedPrintable, false};
    return {};
}

QByteArray RawHeaderField(const TmsHeaders& headers, const QByteArray& fieldName)
{
    const QByteArray key = fieldName + ':';
    for (qsizetype i = 0; i < headers.size(); ++i) {
        if (qstrnicmp(headers.at(i).constData(), key.constData(), size_t(key.size())) != 0)
            continue;
        QByteArray value = Trim(QByteArrayView(headers.at(i)).sliced(key.size()));
        for (++i; i < headers.size() && (headers.at(i).startsWith(' ') || headers.at(i).startsWith('\t')); ++i)
            value += ' ' + Trim(headers.at(i));
        return value;
    }
    return {};
}

QByteArrayView TrimmedView(QByteArrayView text)
{
    while (!text.isEmpty() && uchar(text.front()) <= 32)
        text = text.sliced(1);
    while (!text.isEmpty() && uchar(text.back()) <= 32)
        text.chop(1);
    return text;
}

void SetAttachmentData(TmsAttItem& item, const QByteArray& bytes)
{
    item.Data() = TMemoryStream(bytes); // shares the bytes, no copy
}
