#pragma once
// Header and address parsing: field look-up in raw header lines, address
// lists, removal, addresses, parameters; encoded words (RFC 2047) are in
// encoded_words.h. Field and parameter names match without regard to case.
// "Trim" removes every byte of code 32 or less from both ends. None of these
// raise.
#include "mail/headers/encoded_words.h"
#include "mail/model/message_items.h"

#include <limits>

// The value of the first field of that name, continuation lines joined by
// single blanks and encoded words decoded (at most MaxTextLength characters);
// Content-Type and X-UIDL values come back undecoded and whole.
QByteArray GetHeaderField(const TmsHeaders& headers, const QByteArray& fieldName);

// The same value as it stands, for any field: not decoded, and cut only at
// maxBytes, for parameters that may run long.
QByteArray RawHeaderField(const TmsHeaders& headers, const QByteArray& fieldName,
                          qsizetype maxBytes = std::numeric_limits<qsizetype>::max());

// A line that continues the field above it: it begins with a blank or a tab.
bool IsContinuationLine(QByteArrayView line);

// Appends the addresses of every field of that name, in order, as
// ParseAddressList reads them.
void GetHeaderAddresses(const TmsHeaders& headers, const QByteArray& fieldName, TmsAddressList& list);

// Removes every field of that name with its continuation lines.
void RemoveHeaderField(TmsHeaders& headers, const QByteArray& fieldName);

// Address texts are read by RFC 5322, leniently: quoted strings (with
// backslash escapes), comments and encoded words are skipped when the
// address in angle brackets is looked for, so none can pose as the address.
// Comments inside the angle brackets are left out of the address. Encoded
// words in the name are decoded after that.

// One address: "Name <address>", "<address> Name", "address (Name)" or a
// bare address. With an unclosed "<" the address is empty and the whole
// text is the name. Of a list, the first address with an "@": an unquoted
// comma in a name ("Doe, Jo <jo@x.org>") splits off no address.
void ParseMailAddress(const QByteArray& text, TmsMailAddress& address);

// The most addresses a list read from mail holds: each costs far more memory
// than its text, so a field of millions would cost many times the message.
constexpr qsizetype MaxListedAddresses = 10000;

// Appends each address of a list such as a To field's value: items split at
// commas; a group ("friends: a@x, b@y;") gives its members, never its name;
// empty items and items of comments alone give nothing. The list stops
// growing at MaxListedAddresses; the rest of the text is not read.
void ParseAddressList(QByteArrayView text, TmsAddressList& list);

// The value of a parameter such as "boundary" in a header value, without its
// quotes; empty if absent.
QByteArray GetHeaderParameter(const QByteArray& parameterName, const QByteArray& headerValue);

// The value up to its first blank or ";", trimmed.
QByteArray ExtractMimeType(const QByteArray& headerValue);
