#pragma once
// Pasting rich text offered as RTF (word processors put it on the
// clipboard), so pictures, tables and links arrive as the editor shows them.
#include <QMimeData>

class QTextCursor;

namespace RichEditPaste {

bool hasRtf(const QMimeData& source);

// Inserts source's RTF at cursor, pictures included; false when it holds
// none that reads.
bool insertRtf(QTextCursor& cursor, const QMimeData& source);

}
