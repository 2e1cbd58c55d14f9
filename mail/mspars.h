#pragma once
// Header and address parsing: field look-up in raw header lines, comma
// lists, removal, addresses, parameters; encoded words (RFC 2047) are in
// msencword.h. Field and parameter names match without regard to case.
// "Trim" removes every byte of code 32 or less from both ends. None of these
// raise.
#include "mail/msencword.h"
#include "mail/msmsgcls.h"

// The value of the first field of that name, continuation lines joined by
// single blanks and encoded words decoded (at most MaxTextLength characters);
// Content-Type and X-UIDL values come back undecoded and whole.
QByteArray GetHeaderField(const TmsHeaders& headers, const QByteArray& fieldName);

// The same value as it stands, for any field: neither decoded nor cut, for
// parameters that may run long.
QByteArray RawHeaderField(const TmsHeaders& headers, const QByteArray& fieldName);

// A line that continues the field above it: it begins with a blank or a tab.
bool IsContinuationLine(QByteArrayView line);

// The comma-separated items of every field of that name, in order, each
// trimmed and decoded; commas inside double quotes stay in their item.
void GetHeaderFieldList(const TmsHeaders& headers, const QByteArray& fieldName, TStringList& items);

// Removes the first field of that name with its continuation lines.
void RemoveHeaderField(TmsHeaders& headers, const QByteArray& fieldName);

// "Name <address>", "address (Name)" or a bare address.
void ParseMailAddress(const QByteArray& text, TmsMailAddress& address);

// Trimmed, without double quotes at either end.
QByteArray StripQuotes(const QByteArray& text);

// The value of a parameter such as "boundary" in a header value, without its
// quotes; empty if absent.
QByteArray GetHeaderParameter(const QByteArray& parameterName, const QByteArray& headerValue);

// The value up to its first blank or ";", trimmed.
QByteArray ExtractMimeType(const QByteArray& headerValue);
