#pragma once
// TRichEdit: the editor control. Holds plain or rich text in one QTextDocument
// and gives the program the operations it relies on (load/save in the current
// format, lines, selection attributes, find, undo, printing into a rectangle).
#include "RichEditEncoding.h"

#include <QColor>
#include <QFrame>
#include <QRect>
#include <QStringList>
#include <functional>

class QPrinter;
class QTextDocument;

enum class TFontStyle { Bold = 1, Italic = 2, Underline = 4, StrikeOut = 8 };
using TFontStyles = int; // OR of TFontStyle values

// Which selection attributes are the same over the whole selection.
struct TConsistentAttributes {
    bool Name = true, Size = true, Color = true;
    bool Bold = true, Italic = true, Underline = true, StrikeOut = true;
};

struct TSearchOptions {
    bool MatchCase = false;
    bool WholeWord = false;
};

class TRichEdit : public QFrame {
    Q_OBJECT
public:
    explicit TRichEdit(QWidget* owner = nullptr);
    ~TRichEdit() override;

    // Format of every load and save.
    bool PlainText() const;
    void SetPlainText(bool plain);

    // Whole-content load/save in the current format. Rich mode reads RTF and
    // falls back to plain text; failures raise EFOpenError/EFCreateError or
    // Exception("Failed to Load Stream").
    void LoadFromFile(const QString& fileName);
    // A plain-text file read in encoding rather than the one found in it.
    void LoadFromFile(const QString& fileName, TTextEncoding encoding);
    void SaveToFile(const QString& fileName) const;
    void LoadFromBytes(const QByteArray& content); // same rule as LoadFromFile
    QByteArray SaveToBytes() const;                // same rule as SaveToFile
    // Whether the file's content is RTF (which a plain-mode load shows as code).
    static bool IsRtfFile(const QString& fileName);

    // How plain text is stored: taken from each plain-text load and used by
    // plain-text saves; UTF-8 with LF for a new control and after an RTF load.
    TTextFileFormat TextFileFormat() const;
    void SetTextFileFormat(const TTextFileFormat& format);
    // Whether the text can be saved in the format's encoding; when it cannot,
    // a save writes UTF-8.
    bool TextFitsFileFormat() const;

    // Lines of the text (no line ends).
    QStringList Lines() const;
    int LineCount() const;
    void ClearLines();
    void AppendLine(const QString& line);
    void SetLines(const QStringList& lines);
    QString Text() const;
    void SetText(const QString& text);
    void Clear();

    bool Modified() const;
    void SetModified(bool modified);

    // Characters the user may type or paste; 0 = no limit. Loads are not
    // limited, so the text may be longer.
    int MaxLength() const;
    void SetMaxLength(int chars);
    int TextLength() const;

    bool WordWrap() const;
    void SetWordWrap(bool wrap);

    // Selection.
    int SelStart() const;
    int SelLength() const;
    void SetSelStart(int pos); // collapses the selection
    void SetSelection(int start, int length);
    void SelectAll();
    QString SelText() const;
    void SetSelText(const QString& text); // replaces the selection

    // Selection attributes: with an empty selection they apply to typing.
    QString SelFontName() const;
    void SetSelFontName(const QString& name);
    int SelFontSize() const; // points
    void SetSelFontSize(int points);
    QColor SelColor() const;
    void SetSelColor(const QColor& color);
    TFontStyles SelStyle() const;
    void SetSelStyle(TFontStyles style);
    TConsistentAttributes SelConsistency() const;

    // Search [from, to) for text; -1 when not found.
    int FindText(const QString& text, int from, int to, TSearchOptions options) const;

    // The document's own undo stack, emptied by loads and ClearUndo.
    bool CanUndo() const;
    void Undo();
    bool CanRedo() const;
    void Redo();
    void ClearUndo();
    void CutToClipboard();
    void CopyToClipboard();
    void PasteFromClipboard();

    // Client-area rectangle the text is laid out in, in screen pixels.
    QRect FormattingRect() const;
    void SetFormattingRect(const QRect& rect);

    // Lays the text out page by page into pageRect (printer pixels; empty =
    // the whole printable page). The title names the print job. A printer
    // that cannot start or take the document raises Exception.
    void Print(const QString& title, QPrinter& printer, const QRect& pageRect = QRect()) const;

    QTextDocument* document() const;
    QWidget* view() const; // the widget holding focus and the text

    std::function<void()> OnChange;           // after every change of the text
    std::function<void()> OnSelectionChange;  // after every change of the selection
    std::function<void()> OnMaxLengthRefused; // typed or pasted text refused (wholly or in part) at MaxLength

private:
    struct Impl;
    Impl* d;
};
