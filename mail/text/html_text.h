#pragma once
// Readable plain text of an HTML body, for messages that carry no text part.
// HTML in mail is rarely well formed, so a recovering parser reads it and
// only the text made of its events is ours.
#include <QByteArray>
#include <QByteArrayView>

// The text of html as UTF-8 lines joined by "\n": paragraphs and headings
// separated by a blank line, list items on lines of their own ("- " or
// "1. ", indented by their depth up to eight levels), table cells separated
// by a tab, links written as "text <url>", entities decoded, scripts, styles
// and comments dropped. The text grows with the HTML's size alone, however
// deep its elements nest. charset is the body's declared character set, or
// empty to let the document's own declaration (or UTF-8) decide. Never
// raises.
QByteArray HtmlToText(QByteArrayView html, QByteArrayView charset = {});
