#include "RichEditViews.h"

#include <QTextDocument>

namespace RichEditLimit {

qsizetype room(const QTextCursor& cursor, int maxLength)
{
    const qsizetype length = cursor.document()->characterCount() - 1;
    const qsizetype selected = cursor.selectionEnd() - cursor.selectionStart();
    return maxLength - (length - selected);
}

QString normalized(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return text;
}

QString fitting(const QString& text, qsizetype room)
{
    if (room >= text.size())
        return text;
    if (room > 0 && text.at(room - 1).isHighSurrogate())
        --room;
    return text.left(room);
}

bool insertsText(const QKeyEvent* event)
{
    if (event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))
        return false;
    for (QChar c : event->text()) {
        if (c.isPrint() || c == u'\t' || c == u'\r' || c == u'\n')
            return true;
    }
    return false;
}

}
