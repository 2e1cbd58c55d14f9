#pragma once
// The names attachments go by: the bare name of a file, the names given to
// parts that came without one, and the names that mark parts of the body.
#include "mail/model/message_items.h"

// The name after the last "/" or "\" (names from mail may use either).
QByteArray BareFileName(const QByteArray& fileName);

// The bare name with control characters and the marks that reorder text
// (bidirectional controls) made "_", or UnnamedFileName(index)
// where it would not name a file inside a directory (empty, "." or ".."), so
// a name from mail never leaves it nor plays tricks on a terminal. A name
// longer than a file system takes (255 bytes) loses the end of its stem,
// whole characters at a time, and keeps its extension.
QByteArray SafeFileName(const QByteArray& fileName, qsizetype index);

// The name a file takes when number - 1 files of its name came first:
// "name.ext", then "name (2).ext", "name (3).ext", ..., the stem cut as
// SafeFileName cuts it where the number would make the name too long.
QString NumberedFileName(const QString& name, qint64 number);

// "att." and the index: a part or file that came without a name.
QByteArray UnnamedFileName(qsizetype index);
bool IsUnnamedFile(const TmsAttItem& item);

// "_alt." and the index: another form of the body in a multipart/alternative.
QByteArray AlternativeFileName(qsizetype index);
bool IsAlternativeFile(const TmsAttItem& item);

// "text/html" or "text/rtf" for the files that carry a formatted body
// ("_htmbody.htm", "_rtfbody.rtf", in any case), else empty.
QByteArray BodyFileType(const TmsAttItem& item);
