#pragma once
// Tables in RTF: rows of \cell-ended cells built into a QTextTable as the
// reader meets them, and the column edges (\cellx) written for a table.
#include <QByteArray>
#include <QList>

class QTextCursor;
class QTextTable;

namespace Rtf {

// Builds the table the reader is in, row by row, moving the reader's cursor
// into the cell the text that follows belongs to.
class TableBuilder {
public:
    void defineRow() { cellEdges.clear(); }
    void addCellEdge(int twips);

    // Whether the cursor already stands where text belongs: in the current
    // cell when inTable, else outside any table.
    bool isPlaced(bool inTable) const;
    // Moves cursor where text belongs, opening the table, a row or a cell.
    void place(QTextCursor& cursor, bool inTable);

    void endCell() { ++column; }
    void endRow() { rowOpen = false; }

private:
    void enterCell(QTextCursor& cursor);
    void leave(QTextCursor& cursor);

    QTextTable* table = nullptr;
    QList<int> cellEdges; // twips, of the row being defined
    int row = -1;
    int column = 0;        // the cell text goes to
    int cursorColumn = -1; // the cell the cursor is in
    bool rowOpen = false;
};

// The \cellx words of a row of columns cells over width twips.
QByteArray cellEdgesOf(int columns, int width);

}
