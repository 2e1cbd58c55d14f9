// Addresses in header values. Quoted strings, comments and encoded words are
// read as opaque stretches wherever they stand, so a "<", "," or ":" inside
// one never decides where an address is or where an item ends.
#include "mail/headers/header_fields.h"

#include "mail/text/text_utils_p.h"

#include <algorithm>
#include <optional>

namespace {

bool opensStretch(char c)
{
    return c == '"' || c == '(';
}

// Where the quoted string or comment that opens at text[at] closes: the
// index of its closing mark, or the text's size when it never closes.
// Comments nest; backslash escapes in both.
qsizetype closingMark(QByteArrayView text, qsizetype at)
{
    const char close = text[at] == '"' ? '"' : ')';
    int depth = 1;
    for (qsizetype i = at + 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\')
            ++i;
        else if (c == close && --depth == 0)
            return i;
        else if (close == ')' && c == '(')
            ++depth;
    }
    return text.size();
}

qsizetype afterStretch(QByteArrayView text, qsizetype at)
{
    return std::min(closingMark(text, at) + 1, text.size());
}

// The text inside a stretch without the backslashes of its escapes.
QByteArray unescaped(QByteArrayView inner)
{
    if (!inner.contains('\\'))
        return inner.toByteArray();
    QByteArray text;
    for (qsizetype i = 0; i < inner.size(); ++i) {
        if (inner[i] == '\\' && i + 1 < inner.size())
            ++i;
        text += inner[i];
    }
    return text;
}

// Where the encoded word that opens at text[at] ends, or at when none opens
// there. Lenient senders leave "<", "," and ":" unencoded inside one, and a
// decoded name must never supply the address.
qsizetype afterEncodedWord(QByteArrayView text, qsizetype at)
{
    if (!text.sliced(at).startsWith("=?"))
        return at;
    int marks = 0; // the "?" after the charset, after the encoding, before "="
    for (qsizetype i = at + 2; i < text.size() && text[i] > ' '; ++i) {
        if (text[i] == '?' && ++marks == 3)
            return i + 1 < text.size() && text[i + 1] == '=' ? i + 2 : at;
    }
    return at;
}

// The text with its comments left out; quoted strings stay whole.
QByteArray withoutComments(QByteArrayView text)
{
    QByteArray kept;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype end = opensStretch(text[i]) ? afterStretch(text, i) : i + 1;
        if (text[i] != '(')
            kept += text.sliced(i, end - i);
        i = end;
    }
    return kept;
}

// The ">" that closes the "<" at open, outside quoted strings and comments;
// -1 if none.
qsizetype angleEnd(QByteArrayView text, qsizetype open)
{
    for (qsizetype i = open + 1; i < text.size();) {
        if (opensStretch(text[i]))
            i = afterStretch(text, i);
        else if (text[i] == '>')
            return i;
        else
            ++i;
    }
    return -1;
}

// One mailbox. The name is what stands before the angle brackets (or else
// after them), quotes undone and comments left out; an address without angle
// brackets takes its first comment as the name.
void parseMailbox(QByteArrayView text, TmsMailAddress& address)
{
    QByteArray phrase;
    QByteArray before; // the phrase before the angle brackets
    QByteArray bare;   // the text without comments: the address when there are no angle brackets
    QByteArray comment;
    std::optional<QByteArray> angle;
    for (qsizetype i = 0; i < text.size();) {
        const char c = text[i];
        if (opensStretch(c)) {
            const qsizetype close = closingMark(text, i);
            const qsizetype end = std::min(close + 1, text.size());
            if (c == '"') {
                phrase += unescaped(text.sliced(i + 1, close - i - 1));
                bare += text.sliced(i, end - i);
            } else {
                if (comment.isEmpty())
                    comment = unescaped(text.sliced(i + 1, close - i - 1));
                phrase += ' ';
                bare += ' ';
            }
            i = end;
        } else if (const qsizetype word = afterEncodedWord(text, i); word > i) {
            phrase += text.sliced(i, word - i);
            bare += text.sliced(i, word - i);
            i = word;
        } else if (c == '<' && !angle) {
            const qsizetype close = angleEnd(text, i);
            if (close < 0) {
                address.SetAddress({});
                address.SetName(DecodeEncodedWords(Trim(text)));
                return;
            }
            angle = Trim(withoutComments(text.sliced(i + 1, close - i - 1)));
            before = phrase.simplified();
            phrase.clear();
            i = close + 1;
        } else { // a run of plain text, copied whole
            qsizetype end = i + 1;
            while (end < text.size() && !opensStretch(text[end]) && text[end] != '<'
                   && afterEncodedWord(text, end) == end)
                ++end;
            phrase += text.sliced(i, end - i);
            bare += text.sliced(i, end - i);
            i = end;
        }
    }
    const QByteArray name = !angle ? QByteArray() : before.isEmpty() ? phrase.simplified() : before;
    address.SetAddress(angle ? *angle : Trim(bare));
    address.SetName(DecodeEncodedWords(name.isEmpty() ? Trim(comment) : name));
}

} // namespace

void ParseMailAddress(const QByteArray& text, TmsMailAddress& address)
{
    TmsAddressList list;
    ParseAddressList(text, list);
    address.Clear();
    if (list.Count() == 0)
        return;
    qsizetype first = 0;
    while (first < list.Count() && !list.Items(first).Address().contains('@'))
        ++first;
    address.Assign(list.Items(first < list.Count() ? first : 0));
}

void ParseAddressList(QByteArrayView text, TmsAddressList& list)
{
    qsizetype start = 0;
    const auto takeItem = [&](qsizetype end) {
        const QByteArrayView item = TrimmedView(QByteArrayView(text).sliced(start, end - start));
        start = end + 1;
        if (TrimmedView(withoutComments(item)).isEmpty())
            return; // nothing, or a comment alone as after a group's ";"
        auto address = std::make_unique<TmsMailAddress>();
        parseMailbox(item, *address);
        list.Add(std::move(address));
    };
    bool inAngle = false;
    for (qsizetype i = 0; i < text.size() && list.Count() < MaxListedAddresses;) {
        const char c = text[i];
        if (opensStretch(c)) {
            i = afterStretch(text, i);
            continue;
        }
        if (const qsizetype word = afterEncodedWord(text, i); word > i) {
            i = word;
            continue;
        }
        if (c == '<' || c == '>')
            inAngle = c == '<';
        else if (!inAngle && (c == ',' || c == ';'))
            takeItem(i);
        else if (!inAngle && c == ':')
            start = i + 1; // what stood before was a group's name
        ++i;
    }
    if (list.Count() < MaxListedAddresses)
        takeItem(text.size());
}
