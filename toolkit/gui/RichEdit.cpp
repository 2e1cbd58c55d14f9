#include "RichEdit.h"

#include "RichEditAttributes.h"
#include "RichEditFiles.h"
#include "RichEditViews.h"
#include "toolkit/Exception.h"
#include "toolkit/rtf/RtfReader.h"
#include "toolkit/rtf/RtfWriter.h"

#include <QPainter>
#include <QPrinter>
#include <QStackedLayout>
#include <QStringMatcher>
#include <QTextBlock>
#include <QTextDocument>

#include <memory>

struct TRichEdit::Impl {
    TRichEdit* q;
    RichEditPlainView* plainView;
    RichEditRichView* richView;
    QStackedLayout* stack;
    QTextDocument* doc;
    QTextDocument* plainSpare; // held by the idle view, which never shows it
    QTextDocument* richSpare;
    bool plain = false;
    bool wordWrap = true;
    int maxLength = 0;
    TTextFileFormat fileFormat;
    int lastAnchor = 0;
    int lastPosition = 0;

    explicit Impl(TRichEdit* owner);

    template <class F>
    decltype(auto) withView(F f) const
    {
        return plain ? f(plainView) : f(richView);
    }

    QTextCursor cursor() const
    {
        return withView([](auto v) { return v->textCursor(); });
    }
    void setCursor(const QTextCursor& c)
    {
        withView([&](auto v) { v->setTextCursor(c); });
    }
    QAbstractScrollArea* view() const
    {
        return withView([](auto v) -> QAbstractScrollArea* { return v; });
    }
    int length() const { return doc->characterCount() - 1; }

    // Rich text carries its own colours, painted on white paper; plain text
    // has none and follows the desktop's colour scheme.
    enum class Colours { Paper, Scheme };
    void styleView(QAbstractScrollArea* v, Colours colours);
    void detachDocument();
    void attachDocument();
    void moveDocument(bool toPlain);
    void load(QByteArray content, std::optional<TTextEncoding> encoding = std::nullopt);
    void mergeFormat(const QTextCharFormat& format);
    RichEditAttributes selectionAttributes() const;
    void selectionMoved();
};

namespace {

QFont defaultFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(13);
    return font;
}

// Wrap, tab and colour settings mean the same in both views.
template <class View>
void setWrap(View* view, bool wrap)
{
    view->setLineWrapMode(wrap ? View::WidgetWidth : View::NoWrap);
}

} // namespace

TRichEdit::Impl::Impl(TRichEdit* owner)
    : q(owner),
      plainView(new RichEditPlainView(owner)),
      richView(new RichEditRichView(owner)),
      stack(new QStackedLayout(owner)),
      doc(new QTextDocument(owner)),
      plainSpare(new QTextDocument(owner)),
      richSpare(new QTextDocument(owner))
{
    plainSpare->setDocumentLayout(new QPlainTextDocumentLayout(plainSpare));
    doc->setDefaultFont(defaultFont());
    styleView(plainView, Colours::Scheme);
    styleView(richView, Colours::Paper);
    plainView->setDocument(plainSpare);
    richView->setDocument(doc);
    stack->addWidget(richView);
    stack->addWidget(plainView);
}

void TRichEdit::Impl::styleView(QAbstractScrollArea* v, Colours colours)
{
    v->setFrameShape(QFrame::NoFrame);
    v->setFont(defaultFont());
    QPalette palette = v->palette();
    if (colours == Colours::Paper) {
        palette.setColor(QPalette::Base, Qt::white);
        palette.setColor(QPalette::Text, Qt::black);
    }
    // The selection stays visible when the focus leaves.
    for (auto role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    v->setPalette(palette);
    v->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    v->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

// Without a view and a layout, big changes of the document cost no layout
// work; when it joins a view again, the view lays it out lazily.
void TRichEdit::Impl::detachDocument()
{
    if (plain)
        plainView->setDocument(plainSpare);
    else
        richView->setDocument(richSpare);
    doc->setDocumentLayout(nullptr);
}

void TRichEdit::Impl::attachDocument()
{
    if (plain) {
        doc->setDocumentLayout(new QPlainTextDocumentLayout(doc));
        plainView->setDocument(doc);
    } else {
        richView->setDocument(doc); // which makes the rich layout
    }
}

// The document changes views without copying.
void TRichEdit::Impl::moveDocument(bool toPlain)
{
    const int anchor = cursor().anchor();
    const int position = cursor().position();
    const bool hadFocus = view()->hasFocus();
    detachDocument();
    plain = toPlain;
    attachDocument();
    stack->setCurrentWidget(view());
    q->setFocusProxy(view());
    QTextCursor c(doc);
    c.setPosition(anchor);
    c.setPosition(position, QTextCursor::KeepAnchor);
    setCursor(c);
    if (hadFocus)
        view()->setFocus();
}

// Nothing changes until the content is known to be readable.
void TRichEdit::Impl::load(QByteArray content, std::optional<TTextEncoding> encoding)
{
    const bool rtf = !plain && !encoding && Rtf::isRtf(content);
    std::optional<RichEditEncoding::Decoded> text;
    if (!rtf) {
        text = encoding ? RichEditEncoding::decodeAs(content, *encoding) : RichEditEncoding::decode(content);
        if (!text)
            throw Exception(QStringLiteral("Failed to Load Stream"));
        content = QByteArray(); // the bytes are not needed beside the text
    }
    fileFormat = text ? text->format : TTextFileFormat();
    detachDocument();
    const bool undo = doc->isUndoRedoEnabled();
    doc->setUndoRedoEnabled(false); // a load is not undone, and keeps no undo copy
    if (rtf) {
        Rtf::read(content, *doc);
    } else {
        doc->clear();
        QTextCursor(doc).insertText(text->text);
        RichEditFiles::setLineEnds(*doc, text->lineEnds);
        text.reset();
    }
    doc->setUndoRedoEnabled(undo);
    doc->clearUndoRedoStacks(); // nor is what came before it
    attachDocument();
    setCursor(QTextCursor(doc));
    doc->setModified(false);
}

void TRichEdit::Impl::mergeFormat(const QTextCharFormat& format)
{
    withView([&](auto v) { v->mergeCurrentCharFormat(format); });
}

RichEditAttributes TRichEdit::Impl::selectionAttributes() const
{
    const QTextCursor c = cursor();
    QTextCharFormat format;
    if (c.hasSelection()) {
        QTextCursor first(doc);
        first.setPosition(c.selectionStart() + 1);
        format = first.charFormat();
    } else {
        format = withView([](auto v) { return v->currentCharFormat(); });
    }
    return RichEditAttributes::of(format, doc->defaultFont());
}

void TRichEdit::Impl::selectionMoved()
{
    const QTextCursor c = cursor();
    if (c.anchor() == lastAnchor && c.position() == lastPosition)
        return;
    lastAnchor = c.anchor();
    lastPosition = c.position();
    if (q->OnSelectionChange)
        q->OnSelectionChange();
}

TRichEdit::TRichEdit(QWidget* owner) : QFrame(owner), d(new Impl(this))
{
    setFrameShape(QFrame::NoFrame);
    d->stack->setContentsMargins(0, 0, 0, 0);
    setFocusProxy(d->richView);
    connect(d->doc, &QTextDocument::contentsChanged, this, [this] {
        if (OnChange)
            OnChange();
    });
    const auto refused = [this] {
        if (OnMaxLengthRefused)
            OnMaxLengthRefused();
    };
    d->plainView->setOnRefused(refused);
    d->richView->setOnRefused(refused);
    const auto moved = [this] { d->selectionMoved(); };
    connect(d->plainView, &QPlainTextEdit::cursorPositionChanged, this, moved);
    connect(d->plainView, &QPlainTextEdit::selectionChanged, this, moved);
    connect(d->richView, &QTextEdit::cursorPositionChanged, this, moved);
    connect(d->richView, &QTextEdit::selectionChanged, this, moved);
}

TRichEdit::~TRichEdit()
{
    delete d;
}

bool TRichEdit::PlainText() const
{
    return d->plain;
}

void TRichEdit::SetPlainText(bool plain)
{
    if (plain != d->plain)
        d->moveDocument(plain);
}

void TRichEdit::LoadFromFile(const QString& fileName)
{
    d->load(RichEditFiles::read(fileName));
}

void TRichEdit::LoadFromFile(const QString& fileName, TTextEncoding encoding)
{
    d->load(RichEditFiles::read(fileName), encoding);
}

void TRichEdit::SaveToFile(const QString& fileName) const
{
    RichEditFiles::write(fileName, SaveToBytes());
}

void TRichEdit::LoadFromBytes(const QByteArray& content)
{
    d->load(content);
}

QByteArray TRichEdit::SaveToBytes() const
{
    if (!d->plain)
        return Rtf::write(*d->doc);
    // No character is lost: what the encoding cannot hold is saved as UTF-8.
    if (auto bytes = RichEditFiles::encodeText(*d->doc, d->fileFormat))
        return *bytes;
    TTextFileFormat utf8 = d->fileFormat;
    utf8.encoding = TTextEncoding::Utf8;
    if (auto bytes = RichEditFiles::encodeText(*d->doc, utf8))
        return *bytes;
    return RichEditFiles::plainText(*d->doc).toUtf8(); // a lone surrogate: Qt writes "?"
}

bool TRichEdit::IsRtfFile(const QString& fileName)
{
    return RichEditFiles::startsAsRtf(fileName);
}

TTextFileFormat TRichEdit::TextFileFormat() const
{
    return d->fileFormat;
}
void TRichEdit::SetTextFileFormat(const TTextFileFormat& format)
{
    d->fileFormat = format;
}

bool TRichEdit::TextFitsFileFormat() const
{
    return RichEditFiles::encodeText(*d->doc, d->fileFormat).has_value();
}

QStringList TRichEdit::Lines() const
{
    if (d->doc->isEmpty())
        return {};
    return RichEditFiles::plainText(*d->doc).split(u'\n');
}

int TRichEdit::LineCount() const
{
    if (d->doc->isEmpty())
        return 0;
    return int(RichEditFiles::plainText(*d->doc).count(u'\n')) + 1;
}

void TRichEdit::ClearLines()
{
    Clear();
}

void TRichEdit::AppendLine(const QString& line)
{
    QTextCursor c(d->doc);
    c.movePosition(QTextCursor::End);
    c.beginEditBlock();
    if (!d->doc->isEmpty())
        c.insertBlock();
    c.insertText(line);
    c.endEditBlock();
}

void TRichEdit::SetLines(const QStringList& lines)
{
    SetText(lines.join(u'\n'));
}

QString TRichEdit::Text() const
{
    return RichEditFiles::plainText(*d->doc);
}

void TRichEdit::SetText(const QString& text)
{
    QTextCursor c(d->doc);
    c.select(QTextCursor::Document);
    c.insertText(text);
    d->doc->firstBlock().setUserState(-1); // the only block kept: a new text has no line end of a file
}

void TRichEdit::Clear()
{
    SetText(QString());
}

bool TRichEdit::Modified() const
{
    return d->doc->isModified();
}
void TRichEdit::SetModified(bool modified)
{
    d->doc->setModified(modified);
}

int TRichEdit::MaxLength() const
{
    return d->maxLength;
}
int TRichEdit::TextLength() const
{
    return d->length();
}

void TRichEdit::SetMaxLength(int chars)
{
    d->maxLength = std::max(chars, 0);
    d->plainView->setMaxLength(d->maxLength);
    d->richView->setMaxLength(d->maxLength);
}

bool TRichEdit::WordWrap() const
{
    return d->wordWrap;
}

void TRichEdit::SetWordWrap(bool wrap)
{
    d->wordWrap = wrap;
    setWrap(d->plainView, wrap);
    setWrap(d->richView, wrap);
}

int TRichEdit::SelStart() const
{
    return d->cursor().selectionStart();
}

int TRichEdit::SelLength() const
{
    const QTextCursor c = d->cursor();
    return c.selectionEnd() - c.selectionStart();
}

void TRichEdit::SetSelStart(int pos)
{
    SetSelection(pos, 0);
}

void TRichEdit::SetSelection(int start, int length)
{
    start = std::clamp(start, 0, d->length());
    const int end = length < 0 ? d->length() : std::min(start + length, d->length());
    QTextCursor c(d->doc);
    c.setPosition(start);
    c.setPosition(end, QTextCursor::KeepAnchor);
    d->setCursor(c);
}

void TRichEdit::SelectAll()
{
    SetSelection(0, -1);
}

QString TRichEdit::SelText() const
{
    QString text = d->cursor().selectedText();
    text.replace(QChar::ParagraphSeparator, u'\n').replace(QChar::LineSeparator, u'\n');
    return text;
}

void TRichEdit::SetSelText(const QString& text)
{
    QTextCursor c = d->cursor();
    c.insertText(text);
    d->setCursor(c);
}

QString TRichEdit::SelFontName() const
{
    return d->selectionAttributes().name;
}

void TRichEdit::SetSelFontName(const QString& name)
{
    QTextCharFormat format;
    format.setFontFamilies({name});
    d->mergeFormat(format);
}

int TRichEdit::SelFontSize() const
{
    return d->selectionAttributes().points;
}

void TRichEdit::SetSelFontSize(int points)
{
    if (points <= 0)
        return;
    QTextCharFormat format;
    format.setFontPointSize(points);
    d->mergeFormat(format);
}

QColor TRichEdit::SelColor() const
{
    return d->selectionAttributes().color;
}

void TRichEdit::SetSelColor(const QColor& color)
{
    QTextCharFormat format;
    format.setForeground(color);
    d->mergeFormat(format);
}

TFontStyles TRichEdit::SelStyle() const
{
    return d->selectionAttributes().style;
}

void TRichEdit::SetSelStyle(TFontStyles style)
{
    QTextCharFormat format;
    format.setFontWeight(style & int(TFontStyle::Bold) ? QFont::Bold : QFont::Normal);
    format.setFontItalic(style & int(TFontStyle::Italic));
    format.setFontUnderline(style & int(TFontStyle::Underline));
    format.setFontStrikeOut(style & int(TFontStyle::StrikeOut));
    d->mergeFormat(format);
}

TConsistentAttributes TRichEdit::SelConsistency() const
{
    return richEditConsistency(d->cursor());
}

// Block by block with a matcher made once: a search through a long document
// costs one pass over its text, with no copy of the text beyond a block.
int TRichEdit::FindText(const QString& text, int from, int to, TSearchOptions options) const
{
    if (text.isEmpty())
        return -1;
    const int limit = to < 0 ? d->length() : std::min(to, d->length());
    const QStringMatcher matcher(text, options.MatchCase ? Qt::CaseSensitive : Qt::CaseInsensitive);
    const auto wordEdge = [](const QString& block, qsizetype i) {
        return i < 0 || i >= block.size() || !(block[i].isLetterOrNumber() || block[i] == u'_');
    };
    from = std::max(from, 0);
    for (QTextBlock block = d->doc->findBlock(from); block.isValid(); block = block.next()) {
        const int start = block.position();
        if (start + text.size() > limit)
            break;
        const QString content = block.text();
        for (qsizetype at = matcher.indexIn(content, std::max<qsizetype>(from - start, 0)); at >= 0;
             at = matcher.indexIn(content, at + 1)) {
            if (start + at + text.size() > limit)
                return -1;
            if (!options.WholeWord || (wordEdge(content, at - 1) && wordEdge(content, at + text.size())))
                return int(start + at);
        }
    }
    return -1;
}

bool TRichEdit::CanUndo() const
{
    return d->doc->isUndoAvailable();
}
void TRichEdit::Undo()
{
    d->withView([](auto v) { v->undo(); });
}
bool TRichEdit::CanRedo() const
{
    return d->doc->isRedoAvailable();
}
void TRichEdit::Redo()
{
    d->withView([](auto v) { v->redo(); });
}
void TRichEdit::ClearUndo()
{
    d->doc->clearUndoRedoStacks();
}
void TRichEdit::CutToClipboard()
{
    d->withView([](auto v) { v->cut(); });
}
void TRichEdit::CopyToClipboard()
{
    d->withView([](auto v) { v->copy(); });
}
void TRichEdit::PasteFromClipboard()
{
    d->withView([](auto v) { v->paste(); });
}

QRect TRichEdit::FormattingRect() const
{
    const QWidget* viewport = d->view()->viewport();
    return QRect(viewport->mapTo(this, QPoint(0, 0)), viewport->size());
}

// The rectangle becomes margins around the text, so it follows resizes.
void TRichEdit::SetFormattingRect(const QRect& rect)
{
    QMargins margins;
    if (!rect.isEmpty()) {
        const QRect all = d->view()->geometry();
        margins = QMargins(std::max(rect.left() - all.left(), 0), std::max(rect.top() - all.top(), 0),
                           std::max(all.right() - rect.right(), 0), std::max(all.bottom() - rect.bottom(), 0));
    }
    d->plainView->setViewportMargins(margins);
    d->richView->setViewportMargins(margins);
}

void TRichEdit::Print(const QString& title, QPrinter& printer, const QRect& pageRect) const
{
    printer.setDocName(title);
    const QRect area = pageRect.isEmpty() ? QRect(0, 0, printer.width(), printer.height()) : pageRect;
    // Lay out in screen pixels, as the editor shows the text, and scale to the printer.
    const qreal scale = printer.logicalDpiY() / 96.0;
    const QSizeF page(area.width() / scale, area.height() / scale);
    std::unique_ptr<QTextDocument> copy(d->doc->clone());
    copy->setDocumentMargin(0);
    QTextOption option = copy->defaultTextOption();
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    copy->setDefaultTextOption(option);
    copy->setPageSize(page);
    QPainter painter(&printer);
    if (!painter.isActive())
        throw Exception(QStringLiteral("The printer could not start the document."));
    for (int i = 0; i < copy->pageCount(); ++i) {
        if (i > 0)
            printer.newPage();
        painter.save();
        painter.translate(area.topLeft());
        painter.scale(scale, scale);
        painter.translate(0, -i * page.height());
        // Only this page's part is drawn: a line starting right at its end
        // belongs to the next page, and would otherwise print twice.
        const QRectF thisPage(QPointF(0, i * page.height()), QSizeF(page.width(), page.height() - 0.5));
        painter.setClipRect(thisPage);
        copy->drawContents(&painter, thisPage);
        painter.restore();
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        throw Exception(QStringLiteral("The printer did not take the document."));
}

QTextDocument* TRichEdit::document() const
{
    return d->doc;
}
QWidget* TRichEdit::view() const
{
    return d->view();
}
