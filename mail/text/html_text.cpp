#include "mail/text/html_text.h"

#include "mail/text/charsets_p.h"
#include "mail/text/text_utils_p.h"

#include <libxml/HTMLparser.h>

#include <QByteArray>
#include <QList>

#include <cstring>
#include <utility>

namespace {

// The deepest list whose items are indented further than its parent's.
constexpr qsizetype maxIndentedDepth = 8;

bool named(const char* name, const char* wanted)
{
    return std::strcmp(name, wanted) == 0;
}

bool namedAny(const char* name, std::initializer_list<const char*> names)
{
    for (const char* wanted : names)
        if (named(name, wanted))
            return true;
    return false;
}

// What is never shown to a reader.
bool hidden(const char* name)
{
    return namedAny(name, {"script", "style", "head", "title", "template", "noscript"});
}

// Elements that stand apart from the text around them by a blank line, and
// by a line end.
bool paragraph(const char* name)
{
    return namedAny(name, {"p", "h1", "h2", "h3", "h4", "h5", "h6", "table", "blockquote", "pre", "hr", "dl"});
}

bool block(const char* name)
{
    return namedAny(name, {"div",        "li",     "tr",       "dt",     "dd",      "section", "article",
                           "header",     "footer", "address",  "nav",    "aside",   "main",    "figure",
                           "figcaption", "form",   "fieldset", "center", "caption", "ul",      "ol"});
}

// The value of an attribute of a start tag, as the parser lists them.
QByteArray attribute(const xmlChar** attributes, const char* name)
{
    for (const xmlChar** a = attributes; a && a[0]; a += 2)
        if (named(reinterpret_cast<const char*>(a[0]), name))
            return QByteArray(reinterpret_cast<const char*>(a[1])).trimmed();
    return {};
}

// The walk's output: white space collapsed as a browser does, line ends
// asked for by elements written only when more text follows.
class TextWriter {
public:
    void Enter(const char* name, const xmlChar** attributes);
    void Leave(const char* name);
    void Text(QByteArrayView text);
    // The text, taken: the writer is done with.
    QByteArray TakeResult();

private:
    struct List {
        bool ordered;
        int count;
    };
    struct Link {
        QByteArray href;
        qsizetype start;
    };

    void askBreak(int lineEnds) { pendingBreaks = std::max(pendingBreaks, lineEnds); }
    void startText();
    void closeLink();

    QByteArray out;
    int pendingBreaks = 0;
    bool pendingSpace = false;
    int preformatted = 0;
    int cell = 0;
    QList<List> lists;
    QList<Link> links;
};

void TextWriter::startText()
{
    if (out.isEmpty()) {
        pendingBreaks = 0;
    } else if (pendingBreaks > 0) {
        int have = 0;
        while (have < out.size() && out.at(out.size() - 1 - have) == '\n')
            ++have;
        out.append(QByteArray(std::max(0, pendingBreaks - have), '\n'));
    } else if (pendingSpace && !out.endsWith('\n') && !out.endsWith('\t') && !out.endsWith(' ')) {
        out.append(' ');
    }
    pendingBreaks = 0;
    pendingSpace = false;
}

void TextWriter::Text(QByteArrayView text)
{
    for (const char c : text) {
        if (preformatted > 0) {
            if (c == '\n' || c == '\r') {
                if (c == '\n')
                    out.append('\n');
                continue;
            }
            startText();
            out.append(c);
        } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f') {
            pendingSpace = true;
        } else {
            startText();
            out.append(c);
        }
    }
}

void TextWriter::Enter(const char* name, const xmlChar** attributes)
{
    if (paragraph(name))
        askBreak(2);
    else if (block(name))
        askBreak(1);
    if (named(name, "br")) {
        if (!out.isEmpty())
            out.append('\n');
        pendingSpace = false;
    } else if (named(name, "pre")) {
        ++preformatted;
    } else if (named(name, "ul") || named(name, "ol")) {
        lists.append({named(name, "ol"), 0});
    } else if (named(name, "li")) {
        startText();
        // Deeper lists are indented no further: indenting by depth alone
        // makes the text grow with the square of the nesting.
        const qsizetype depth = std::min(lists.size(), maxIndentedDepth);
        out.append(QByteArray(2 * std::max<qsizetype>(0, depth - 1), ' '));
        if (!lists.isEmpty() && lists.last().ordered)
            out.append(QByteArray::number(++lists.last().count) + ". ");
        else
            out.append("- ");
    } else if (named(name, "tr")) {
        cell = 0;
    } else if (named(name, "td") || named(name, "th")) {
        if (cell++ > 0) {
            startText();
            out.append('\t');
        }
    } else if (named(name, "a")) {
        links.append({attribute(attributes, "href"), out.size()});
    } else if (named(name, "img")) {
        Text(attribute(attributes, "alt"));
    }
}

void TextWriter::Leave(const char* name)
{
    if (named(name, "pre"))
        --preformatted;
    else if ((named(name, "ul") || named(name, "ol")) && !lists.isEmpty())
        lists.removeLast();
    else if (named(name, "a") && !links.isEmpty())
        closeLink();
    if (paragraph(name))
        askBreak(2);
    else if (block(name))
        askBreak(1);
}

// A link's address follows its text unless the text already says it. The
// text is looked at in place: links nest, and copying it for each would
// take time with the square of the nesting.
void TextWriter::closeLink()
{
    const Link link = links.takeLast();
    const QByteArray& href = link.href;
    const QByteArrayView text = QByteArrayView(out).sliced(std::min(link.start, out.size())).trimmed();
    if (href.isEmpty() || href.startsWith('#') || href.startsWith("javascript:") || text == href
        || (href.startsWith("mailto:") && QByteArrayView(href).sliced(7) == text))
        return;
    const bool hasText = !text.isEmpty(); // the view ends where out grows
    startText();
    if (hasText)
        out.append(' ');
    out.append('<' + href + '>');
}

// Blanks at the ends of lines and empty lines at the end go, in place: the
// text of a large body is never copied.
QByteArray TextWriter::TakeResult()
{
    char* const text = out.data();
    qsizetype kept = 0;
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i <= out.size(); ++i) {
        if (i < out.size() && text[i] != '\n')
            continue;
        qsizetype lineEnd = i;
        while (lineEnd > lineStart && (text[lineEnd - 1] == ' ' || text[lineEnd - 1] == '\t'))
            --lineEnd;
        std::memmove(text + kept, text + lineStart, size_t(lineEnd - lineStart));
        kept += lineEnd - lineStart;
        if (i < out.size())
            text[kept++] = '\n';
        lineStart = i + 1;
    }
    while (kept > 0 && text[kept - 1] == '\n')
        --kept;
    out.truncate(kept);
    return std::exchange(out, {});
}

// The parser's events as they come: no tree is built, so a large body
// costs no more than its text. Hidden elements and all they hold are
// skipped.
class SaxReader {
public:
    explicit SaxReader(TextWriter& writer) : writer(writer) {}

    static void start(void* self, const xmlChar* name, const xmlChar** attributes)
    {
        static_cast<SaxReader*>(self)->enter(reinterpret_cast<const char*>(name), attributes);
    }
    static void end(void* self, const xmlChar* name)
    {
        static_cast<SaxReader*>(self)->leave(reinterpret_cast<const char*>(name));
    }
    static void characters(void* self, const xmlChar* text, int length)
    {
        auto* reader = static_cast<SaxReader*>(self);
        if (reader->hiddenDepth == 0)
            reader->writer.Text(QByteArrayView(reinterpret_cast<const char*>(text), length));
    }

private:
    void enter(const char* name, const xmlChar** attributes)
    {
        if (hiddenDepth > 0 || hidden(name))
            ++hiddenDepth;
        else
            writer.Enter(name, attributes);
    }
    void leave(const char* name)
    {
        if (hiddenDepth > 0)
            --hiddenDepth;
        else
            writer.Leave(name);
    }

    TextWriter& writer;
    int hiddenDepth = 0;
};

// The set to read the text in: UTF-8 where it was declared or made so, or
// where the text is UTF-8 and names no set of its own; else the document's
// own declaration or the parser's default (empty).
QByteArray encodingOf(QByteArrayView html, const QByteArray& declared)
{
    const QByteArray name = declared.toLower();
    if (!IsUtf8Charset(name) || name == "utf-8" || name == "utf8")
        return "utf-8";
    const QByteArray head = html.first(std::min<qsizetype>(html.size(), 4096)).toByteArray().toLower();
    return !head.contains("charset") && IsValidUtf8(html) ? QByteArray("utf-8") : QByteArray();
}

// What the parser cannot read it reports on the standard error; the text
// shows it anyway.
void ignoreError(void*, const char*, ...) {}

// The parser reads the text a piece at a time and lets go of what it has
// read, so it never holds a copy of the whole.
int readPiece(void* source, char* buffer, int length)
{
    auto* rest = static_cast<QByteArrayView*>(source);
    const qsizetype n = std::min<qsizetype>(length, rest->size());
    std::memcpy(buffer, rest->data(), size_t(n));
    *rest = rest->sliced(n);
    return int(n);
}

} // namespace

QByteArray HtmlToText(QByteArrayView html, QByteArrayView charset)
{
    if (html.trimmed().isEmpty())
        return {};
    htmlParserCtxtPtr context = htmlNewParserCtxt();
    if (!context)
        return {};
    TextWriter writer;
    SaxReader reader(writer);
    htmlSAXHandler& events = *context->sax;
    events = htmlSAXHandler{};
    events.startElement = SaxReader::start;
    events.endElement = SaxReader::end;
    events.characters = SaxReader::characters;
    events.cdataBlock = SaxReader::characters;
    context->userData = &reader;
    // A declared set is made UTF-8 here, a line at a time, so that bytes it
    // cannot read spoil only their line; the parser would stop at them.
    const QByteArray declared = charset.trimmed().toByteArray();
    const bool convert = !IsUtf8Charset(declared);
    const QByteArray utf8 = convert ? ToUtf8ByLines(html, declared) : QByteArray();
    const QByteArray encoding = encodingOf(html, declared);
    QByteArrayView rest = convert ? QByteArrayView(utf8) : html;
    xmlSetGenericErrorFunc(nullptr, ignoreError);
    htmlCtxtReadIO(context, readPiece, nullptr, &rest, nullptr, encoding.isEmpty() ? nullptr : encoding.constData(),
                   HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET);
    htmlFreeParserCtxt(context);
    return writer.TakeResult();
}
