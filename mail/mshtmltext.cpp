#include "mail/mshtmltext.h"

#include <libxml/HTMLparser.h>

#include <QByteArray>
#include <QList>

#include <cstring>
#include <memory>

namespace {

bool named(const xmlNode* node, const char* name)
{
    return node->name && std::strcmp(reinterpret_cast<const char*>(node->name), name) == 0;
}

bool namedAny(const xmlNode* node, std::initializer_list<const char*> names)
{
    for (const char* name : names)
        if (named(node, name))
            return true;
    return false;
}

// What is never shown to a reader.
bool hidden(const xmlNode* node)
{
    return namedAny(node, {"script", "style", "head", "title", "template", "noscript"});
}

// Elements that stand apart from the text around them by a blank line, and
// by a line end.
bool paragraph(const xmlNode* node)
{
    return namedAny(node, {"p", "h1", "h2", "h3", "h4", "h5", "h6", "table", "blockquote", "pre", "hr", "dl"});
}

bool block(const xmlNode* node)
{
    return namedAny(node, {"div", "li", "tr", "dt", "dd", "section", "article", "header", "footer", "address",
                           "nav", "aside", "main", "figure", "figcaption", "form", "fieldset", "center",
                           "caption", "ul", "ol"});
}

QByteArray attribute(const xmlNode* node, const char* name)
{
    xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
    QByteArray result(reinterpret_cast<const char*>(value));
    xmlFree(value);
    return result.trimmed();
}

// The walk's output: white space collapsed as a browser does, line ends
// asked for by elements written only when more text follows.
class TextWriter {
public:
    void Enter(const xmlNode* node);
    void Leave(const xmlNode* node);
    void Text(QByteArrayView text);
    QByteArray Result() const;

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

void TextWriter::Enter(const xmlNode* node)
{
    if (paragraph(node))
        askBreak(2);
    else if (block(node))
        askBreak(1);
    if (named(node, "br")) {
        if (!out.isEmpty())
            out.append('\n');
        pendingSpace = false;
    } else if (named(node, "pre")) {
        ++preformatted;
    } else if (named(node, "ul") || named(node, "ol")) {
        lists.append({named(node, "ol"), 0});
    } else if (named(node, "li")) {
        startText();
        const int depth = int(lists.size());
        out.append(QByteArray(2 * std::max(0, depth - 1), ' '));
        if (!lists.isEmpty() && lists.last().ordered)
            out.append(QByteArray::number(++lists.last().count) + ". ");
        else
            out.append("- ");
    } else if (named(node, "tr")) {
        cell = 0;
    } else if (named(node, "td") || named(node, "th")) {
        if (cell++ > 0) {
            startText();
            out.append('\t');
        }
    } else if (named(node, "a")) {
        links.append({attribute(node, "href"), out.size()});
    } else if (named(node, "img")) {
        Text(attribute(node, "alt"));
    }
}

void TextWriter::Leave(const xmlNode* node)
{
    if (named(node, "pre"))
        --preformatted;
    else if ((named(node, "ul") || named(node, "ol")) && !lists.isEmpty())
        lists.removeLast();
    else if (named(node, "a") && !links.isEmpty())
        closeLink();
    if (paragraph(node))
        askBreak(2);
    else if (block(node))
        askBreak(1);
}

// A link's address follows its text unless the text already says it.
void TextWriter::closeLink()
{
    const Link link = links.takeLast();
    const QByteArray text = out.mid(link.start).trimmed();
    const QByteArray& href = link.href;
    if (href.isEmpty() || href.startsWith('#') || href.startsWith("javascript:") || text == href
        || "mailto:" + text == href)
        return;
    startText();
    if (!text.isEmpty())
        out.append(' ');
    out.append('<' + href + '>');
}

QByteArray TextWriter::Result() const
{
    QList<QByteArray> lines = out.split('\n');
    for (QByteArray& line : lines) {
        while (line.endsWith(' ') || line.endsWith('\t'))
            line.chop(1);
    }
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines.join('\n');
}

// Depth-first over the tree by its links, without recursion: a hostile
// message may nest elements as deep as it likes.
void Walk(const xmlNode* root, TextWriter& writer)
{
    const xmlNode* node = root;
    while (node) {
        bool descend = false;
        if (node->type == XML_ELEMENT_NODE && !hidden(node)) {
            writer.Enter(node);
            descend = node->children != nullptr;
        } else if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
            writer.Text(reinterpret_cast<const char*>(node->content));
        }
        if (descend) {
            node = node->children;
            continue;
        }
        while (node) {
            if (node->type == XML_ELEMENT_NODE && !hidden(node))
                writer.Leave(node);
            if (node == root) {
                node = nullptr;
            } else if (node->next) {
                node = node->next;
                break;
            } else {
                node = node->parent;
            }
        }
    }
}

struct DocFree {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using DocPtr = std::unique_ptr<xmlDoc, DocFree>;

DocPtr parse(QByteArrayView html, const QByteArray& encoding)
{
    const int options = HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET;
    return DocPtr(htmlReadMemory(html.data(), int(html.size()), nullptr,
                                 encoding.isEmpty() ? nullptr : encoding.constData(), options));
}

} // namespace

QByteArray HtmlToText(QByteArrayView html, QByteArrayView charset)
{
    if (html.trimmed().isEmpty() || html.size() > std::numeric_limits<int>::max())
        return {};
    DocPtr doc = parse(html, charset.trimmed().toByteArray());
    if (!doc && !charset.isEmpty())
        doc = parse(html, {}); // a charset the parser does not know: let the document say
    if (!doc)
        return {};
    TextWriter writer;
    if (const xmlNode* root = xmlDocGetRootElement(doc.get()))
        Walk(root, writer);
    return writer.Result();
}
