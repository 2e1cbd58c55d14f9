#include "RtfKeptGroup.h"

#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

namespace Rtf {

namespace {

constexpr int KeptGroupSource = QTextFormat::UserProperty + 2;
constexpr const char* DocumentGroups = "rtfDocumentGroups";

}

void keepGroup(QTextDocument& document, QTextCursor& cursor, QByteArrayView source)
{
    if (document.isEmpty()) {
        document.setProperty(DocumentGroups, documentGroupsOf(document) + source.toByteArray() + '\n');
        return;
    }
    // An object with no handler takes no room: the group stays unseen.
    QTextCharFormat format;
    format.setObjectType(KeptGroupObject);
    format.setProperty(KeptGroupSource, source.toByteArray());
    cursor.insertText(QString(QChar::ObjectReplacementCharacter), format);
}

void forgetDocumentGroups(QTextDocument& document)
{
    document.setProperty(DocumentGroups, QVariant());
}

QByteArray documentGroupsOf(const QTextDocument& document)
{
    return document.property(DocumentGroups).toByteArray();
}

QByteArray keptGroupOf(const QTextCharFormat& format)
{
    return format.objectType() == KeptGroupObject ? format.property(KeptGroupSource).toByteArray() : QByteArray();
}

}
