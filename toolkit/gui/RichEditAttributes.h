#pragma once
// Character attributes as TRichEdit reports them: the format's own values,
// completed by the document's default font and the black default colour.
#include "RichEdit.h"

#include <QTextCharFormat>

class QTextCursor;

struct RichEditAttributes {
    QString name;
    int points = 0;
    QColor color;
    TFontStyles style = 0;

    static RichEditAttributes of(const QTextCharFormat& format, const QFont& defaultFont);
};

// Which attributes are uniform over the selection of cursor.
TConsistentAttributes richEditConsistency(const QTextCursor& cursor);
