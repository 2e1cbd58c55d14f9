#pragma once
// Small pieces the decoder's readers share.
#include "mail/msmsgcls.h"

// How a part's data is written, from its Content-Transfer-Encoding value.
struct TransferEncoding {
    TAttEncoding encoding = ae7Bit;
    bool uuencoded = false; // "x-uue...": uuencoded lines, kept as aeBase64
};
TransferEncoding ReadTransferEncoding(const QByteArray& value);

// The field's value with its continuation lines, as it stands: neither
// decoded nor cut, for parameters that may run long.
QByteArray RawHeaderField(const TmsHeaders& headers, const QByteArray& fieldName);

// Without bytes of code 32 or less at either end; no copy.
QByteArrayView TrimmedView(QByteArrayView text);

// Replaces the attachment's data, its position at the start.
void SetAttachmentData(TmsAttItem& item, const QByteArray& bytes);
