#pragma once
// RTF groups the editor cannot show ({\*\…} destinations it does not know),
// kept as they were read so that a save writes them back: those before the
// first text with the document, the others as invisible objects where they
// stood.
#include <QByteArray>
#include <QTextFormat>

class QTextCharFormat;
class QTextCursor;
class QTextDocument;

namespace Rtf {

constexpr int KeptGroupObject = QTextFormat::UserObject + 1;

// Keeps source, a whole group, in document: with the document when it has
// no text yet, else at cursor.
void keepGroup(QTextDocument& document, QTextCursor& cursor, QByteArrayView source);

// Forgets the groups kept with document, as a new load must.
void forgetDocumentGroups(QTextDocument& document);

// The groups kept with the document, in the order they were read.
QByteArray documentGroupsOf(const QTextDocument& document);

// The group an invisible object holds; empty for any other format.
QByteArray keptGroupOf(const QTextCharFormat& format);

}
