#pragma once
// A rich document's paragraphs, copied on the GUI thread a few thousand at a
// time (QTextDocument::clone() takes seconds on a large document), kept up to
// date with edits made between the steps, and built back into a document of
// its own on any thread.
#include <QFont>
#include <QList>
#include <QMetaObject>
#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextLayout>
#include <memory>

class QTextBlock;
class QTextDocument;

class DocumentCopy {
public:
    explicit DocumentCopy(const QTextDocument& source);
    ~DocumentCopy();
    DocumentCopy(const DocumentCopy&) = delete;
    DocumentCopy& operator=(const DocumentCopy&) = delete;

    enum class Progress { Copying, Complete };
    // Copies up to paragraphCount more paragraphs; once complete the copy
    // no longer follows the source.
    Progress copyStep(int paragraphCount);
    // A document owned by the calling thread.
    std::unique_ptr<QTextDocument> rebuild() const;

private:
    struct Paragraph {
        QString text;
        QTextBlockFormat blockFormat;
        QTextCharFormat charFormat; // of the paragraph mark
        QList<QTextLayout::FormatRange> runs;
    };

    static Paragraph copyOf(const QTextBlock& block);
    void followEdit(int position, int charsAdded);

    const QTextDocument& source;
    QFont defaultFont;
    QList<Paragraph> paragraphs;
    int sourceBlockCount;
    QMetaObject::Connection editsFollowed;
};
