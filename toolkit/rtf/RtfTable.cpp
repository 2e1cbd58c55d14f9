#include "RtfTable.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextTable>

#include <algorithm>

namespace Rtf {

namespace {

// Beyond this, further cells of a row share its last cell.
constexpr int MaxColumns = 64;

// A table goes after the paragraph before it, not after the empty one the
// reader stands in: the table keeps its own paragraph after it.
void dropEmptyParagraph(QTextCursor& cursor)
{
    const QTextBlock previous = cursor.block().previous();
    if (cursor.block().length() == 1 && previous.isValid() && QTextCursor(previous).currentTable() == nullptr)
        cursor.deletePreviousChar();
}

}

void TableBuilder::addCellEdge(int twips)
{
    if (cellEdges.size() < MaxColumns)
        cellEdges.append(twips);
}

bool TableBuilder::isPlaced(bool inTable) const
{
    return inTable ? rowOpen && cursorColumn == column : table == nullptr;
}

void TableBuilder::place(QTextCursor& cursor, bool inTable)
{
    if (inTable)
        enterCell(cursor);
    else
        leave(cursor);
}

void TableBuilder::enterCell(QTextCursor& cursor)
{
    if (!rowOpen) {
        const int columns = std::max<int>(1, int(cellEdges.size()));
        if (table == nullptr) {
            dropEmptyParagraph(cursor);
            table = cursor.insertTable(1, columns);
            row = 0;
        } else {
            table->appendRows(1);
            ++row;
        }
        rowOpen = true;
        column = 0;
        cursorColumn = -1;
    }
    if (column >= table->columns() && table->columns() < MaxColumns)
        table->appendColumns(1);
    column = std::min(column, table->columns() - 1);
    if (cursorColumn != column) {
        cursor = table->cellAt(row, column).lastCursorPosition();
        cursorColumn = column;
    }
}

void TableBuilder::leave(QTextCursor& cursor)
{
    if (table == nullptr)
        return;
    cursor.setPosition(table->lastPosition() + 1);
    table = nullptr;
    rowOpen = false;
}

QByteArray cellEdgesOf(int columns, int width)
{
    QByteArray out;
    for (int i = 1; i <= columns; ++i)
        out += "\\cellx" + QByteArray::number(width * i / columns);
    return out;
}

}
