// Addresses in header values. Quoted strings and comments are read as
// opaque stretches wherever they stand, so a "<", "," or ":" inside one never
// decides where an address is or where an item ends.
#include "mail/mspars.h"

#include "mail/mstext_p.h"

#include <optional>

namespace {

struct Stretch {
    qsizetype end;    // just after the closing mark, or the text's end when it never closes
    QByteArray inner; // without its marks and backslash escapes
};

// The quoted string or comment that opens at text[at]; comments nest.
Stretch readStretch(QByteArrayView text, qsizetype at)
{
    const char close = text[at] == '"' ? '"' : ')';
    Stretch stretch{text.size(), {}};
    int depth = 1;
    for (qsizetype i = at + 1; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\\' && i + 1 < text.size()) {
            c = text[++i];
        } else if (c == close && --depth == 0) {
            stretch.end = i + 1;
            break;
        } else if (close == ')' && c == '(') {
            ++depth;
        }
        stretch.inner += c;
    }
    return stretch;
}

bool opensStretch(char c)
{
    return c == '"' || c == '(';
}

// The ">" that closes the "<" at open, outside quoted strings; -1 if none.
qsizetype angleEnd(QByteArrayView text, qsizetype open)
{
    for (qsizetype i = open + 1; i < text.size();) {
        if (text[i] == '"')
            i = readStretch(text, i).end;
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
    QByteArray bare; // the text without comments: the address when there are no angle brackets
    QByteArray comment;
    std::optional<QByteArray> angle;
    for (qsizetype i = 0; i < text.size();) {
        const char c = text[i];
        if (opensStretch(c)) {
            const Stretch stretch = readStretch(text, i);
            if (c == '"') {
                phrase += stretch.inner;
                bare += text.sliced(i, stretch.end - i);
            } else {
                if (comment.isEmpty())
                    comment = stretch.inner;
                phrase += ' ';
                bare += ' ';
            }
            i = stretch.end;
        } else if (c == '<' && !angle) {
            const qsizetype close = angleEnd(text, i);
            if (close < 0) {
                address.SetAddress({});
                address.SetName(DecodeEncodedWords(Trim(text)));
                return;
            }
            angle = Trim(text.sliced(i + 1, close - i - 1));
            before = phrase.simplified();
            phrase.clear();
            i = close + 1;
        } else {
            phrase += c;
            bare += c;
            ++i;
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

void ParseAddressList(const QByteArray& text, TmsAddressList& list)
{
    qsizetype start = 0;
    const auto takeItem = [&](qsizetype end) {
        const QByteArrayView item = TrimmedView(QByteArrayView(text).sliced(start, end - start));
        start = end + 1;
        if (item.isEmpty())
            return;
        auto address = std::make_unique<TmsMailAddress>();
        parseMailbox(item, *address);
        list.Add(std::move(address));
    };
    bool inAngle = false;
    for (qsizetype i = 0; i < text.size();) {
        const char c = text[i];
        if (opensStretch(c)) {
            i = readStretch(text, i).end;
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
    takeItem(text.size());
}
