#include "app/DocumentCopy.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

DocumentCopy::DocumentCopy(const QTextDocument& source)
    : source(source), defaultFont(source.defaultFont()), sourceBlockCount(source.blockCount())
{
    paragraphs.reserve(sourceBlockCount);
    editsFollowed = QObject::connect(&source, &QTextDocument::contentsChange,
                                     [this](int position, int, int charsAdded) { followEdit(position, charsAdded); });
}

DocumentCopy::~DocumentCopy()
{
    QObject::disconnect(editsFollowed);
}

// The formats are implicitly shared: only the text is copied.
DocumentCopy::Paragraph DocumentCopy::copyOf(const QTextBlock& block)
{
    return {block.text(), block.blockFormat(), block.charFormat(), block.textFormats()};
}

DocumentCopy::Progress DocumentCopy::copyStep(int paragraphCount)
{
    QTextBlock block = source.findBlockByNumber(int(paragraphs.size()));
    for (int copied = 0; copied < paragraphCount && block.isValid(); ++copied, block = block.next())
        paragraphs.append(copyOf(block));
    if (block.isValid())
        return Progress::Copying;
    QObject::disconnect(editsFollowed);
    return Progress::Complete;
}

// Paragraphs before the edit keep their numbers; the copied ones it touched
// are copied again, and one that reaches past the copy drops the rest.
void DocumentCopy::followEdit(int position, int charsAdded)
{
    const int first = source.findBlock(position).blockNumber();
    const int lastNow = source.findBlock(position + charsAdded).blockNumber();
    const int added = source.blockCount() - sourceBlockCount;
    sourceBlockCount = source.blockCount();
    if (first >= paragraphs.size())
        return;
    const int lastBefore = lastNow - added;
    if (first < 0 || lastNow < 0 || lastBefore >= paragraphs.size()) {
        paragraphs.resize(qMax(first, 0));
        return;
    }
    paragraphs.remove(first, lastBefore - first + 1);
    QTextBlock block = source.findBlockByNumber(first);
    for (int number = first; number <= lastNow; ++number, block = block.next())
        paragraphs.insert(number, copyOf(block));
}

std::unique_ptr<QTextDocument> DocumentCopy::rebuild() const
{
    auto document = std::make_unique<QTextDocument>();
    document->setUndoRedoEnabled(false);
    document->setDefaultFont(defaultFont);
    QTextCursor cursor(document.get());
    for (qsizetype index = 0; index < paragraphs.size(); ++index) {
        const Paragraph& paragraph = paragraphs[index];
        if (index == 0) {
            cursor.setBlockFormat(paragraph.blockFormat);
            cursor.setBlockCharFormat(paragraph.charFormat);
        } else
            cursor.insertBlock(paragraph.blockFormat, paragraph.charFormat);
        for (const QTextLayout::FormatRange& run : paragraph.runs)
            cursor.insertText(paragraph.text.mid(run.start, run.length), run.format);
    }
    return document;
}
