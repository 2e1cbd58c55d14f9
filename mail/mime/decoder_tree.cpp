// The tree of MIME parts read from a message text: header blocks, the
// delimiter lines of nested multiparts, and the depth they may reach.
#include "mail/mime/decoder_p.h"

#include "mail/mime/mime_p.h"
#include "mail/headers/header_fields.h"
#include "mail/text/text_utils_p.h"

#include <cstring>

namespace {

// Multiparts nested deeper stay one leaf, so a hostile message cannot
// exhaust the stack.
constexpr int maxDepth = 64;

// A field's name, up to its colon, is printable ASCII (RFC 5322); blanks may
// come before the colon in the old form. A delimiter line is never a field.
bool isField(QByteArrayView line)
{
    if (line.startsWith("--"))
        return false;
    const qsizetype colon = line.indexOf(':');
    QByteArrayView name = line.first(std::max<qsizetype>(colon, 0));
    while (!name.isEmpty() && (name.back() == ' ' || name.back() == '\t'))
        name.chop(1);
    if (name.isEmpty())
        return false;
    for (char c : name)
        if (uchar(c) <= 32 || uchar(c) >= 127)
            return false;
    return true;
}

// The lower-case type/subtype. A value that is no type/subtype is read as
// text/plain, as RFC 2045 (5.2) recommends.
QByteArray mimeTypeOf(const QByteArray& contentType, const char* fallback)
{
    const QByteArray type = ExtractMimeType(contentType).toLower();
    if (type.isEmpty())
        return fallback;
    const qsizetype slash = type.indexOf('/');
    return slash > 0 && slash + 1 < type.size() ? type : QByteArray("text/plain");
}

void readContentHeaders(TMimePart& part, const char* fallback)
{
    part.contentType = Trim(RawHeaderField(part.headers, "Content-Type", MaxContentFieldBytes));
    part.mimeType = mimeTypeOf(part.contentType, fallback);
    part.charset = ParameterOf("charset", part.contentType);
    part.coding = ReadTransferCoding(part.headers);
}

// Where a scan for delimiter lines stopped: at the delimiter or close
// delimiter of the open multipart at level, or at the end of the text
// (level -1). at is where that line begins.
struct Stop {
    int level = -1;
    bool close = false;
    qsizetype at = 0;
};

class TreeReader {
public:
    TreeReader(TTextLines& lines, QString& failure) : lines(lines), failure(failure) {}

    Stop readMultipart(TMimePart& part);

private:
    Stop scan();
    Stop readParts(TMimePart& part, Stop stop);

    TTextLines& lines;
    QString& failure;
    std::vector<QByteArray> delimiters; // "--" and the boundary of each open multipart, outermost first
};

// The innermost multipart's delimiters are looked for first, so a boundary
// that begins with an enclosing one is still told apart. A close delimiter
// may have text after its "--".
Stop TreeReader::scan()
{
    QByteArrayView line;
    while (lines.SkipToDashLine() && lines.Next(line)) {
        for (int level = int(delimiters.size()) - 1; level >= 0; --level) {
            const QByteArray& delimiter = delimiters[size_t(level)];
            if (!line.startsWith(delimiter))
                continue;
            const QByteArrayView rest = line.sliced(delimiter.size());
            if (rest.startsWith("--"))
                return {level, true, lines.Offset(line)};
            if (TrimmedView(rest).isEmpty())
                return {level, false, lines.Offset(line)};
        }
    }
    return {-1, false, lines.End()};
}

// Reads the parts of a multipart whose headers are read, and past its
// epilogue. Returns where the reading stopped, which belongs to an enclosing
// multipart or is the end of the text. A multipart whose boundary never
// occurs is a leaf, but for the message's own.
Stop TreeReader::readMultipart(TMimePart& part)
{
    const QByteArray boundary = MimeParameter("boundary", part.contentType);
    const int level = int(delimiters.size());
    const qsizetype begin = lines.Position();
    if (!boundary.isEmpty())
        delimiters.push_back("--" + boundary);
    Stop stop = scan(); // past the preamble
    if (stop.level == level) {
        part.walked = true;
        stop = readParts(part, stop);
    } else if (level == 0) {
        throw EMessageParserError(QStringLiteral("Cannot find boundary"));
    } else {
        part.content = {begin, stop.at};
        part.endsText = stop.level < 0;
    }
    if (!boundary.isEmpty())
        delimiters.pop_back();
    if (stop.level == level) // closed: what follows up to the enclosing multipart's delimiter is not kept
        stop = level == 0 ? Stop{-1, false, lines.End()} : scan();
    return stop;
}

// From the first delimiter to the close delimiter, or to where an
// enclosing multipart goes on or the text ends without one.
Stop TreeReader::readParts(TMimePart& part, Stop stop)
{
    const int level = stop.level;
    const char* fallback = part.mimeType == "multipart/digest" ? "message/rfc822" : "text/plain";
    while (stop.level == level && !stop.close) {
        TMimePart& child = part.children.emplace_back();
        lines.ReadHeaderBlock(child.headers);
        readContentHeaders(child, fallback);
        if (child.mimeType.startsWith("multipart/") && level + 1 < maxDepth) {
            stop = readMultipart(child);
            if (child.walked && stop.level < 0 && failure.isEmpty())
                failure = QStringLiteral("Cannot find closing boundary");
        } else {
            const qsizetype begin = lines.Position();
            stop = scan();
            child.content = {begin, stop.at};
            child.endsText = stop.level < 0;
        }
    }
    return stop;
}

} // namespace

TTextLines::TTextLines(const QByteArray& text, TTextRange range)
    : base(text.constData()),
      end(range.end),
      lines(QByteArray::fromRawData(text.constData() + range.begin, range.end - range.begin))
{
}

bool TTextLines::Next(QByteArrayView& line)
{
    if (heldCount > 0) {
        line = held[--heldCount];
        return true;
    }
    line = lines.NextLine();
    return !lines.Eof();
}

void TTextLines::Unread(QByteArrayView line)
{
    Q_ASSERT(heldCount < 2);
    held[heldCount++] = line;
}

qsizetype TTextLines::Position()
{
    QByteArrayView line;
    if (!Next(line))
        return end;
    Unread(line);
    return Offset(line);
}

bool TTextLines::SkipToDashLine()
{
    const qsizetype from = Position();
    const char* const first = base + from;
    const char* const last = base + end;
    const auto dashes = [last](const char* p) { return p + 1 < last && p[0] == '-' && p[1] == '-'; };
    const char* found = dashes(first) ? first : nullptr;
    for (const char* p = first + 1; !found && p < last; ++p) {
        p = static_cast<const char*>(std::memchr(p, '-', size_t(last - p)));
        if (!p)
            break;
        if ((p[-1] == '\n' || p[-1] == '\r') && dashes(p))
            found = p;
    }
    seek(found ? found - base : end);
    return found != nullptr;
}

void TTextLines::seek(qsizetype offset)
{
    lines = TLineStream(QByteArray::fromRawData(base + offset, end - offset));
    heldCount = 0;
}

void TTextLines::ReadHeaderBlock(TmsHeaders& headers)
{
    headers.clear();
    QByteArrayView line;
    while (Next(line) && !line.isEmpty()) {
        const bool mboxFrom = Offset(line) == 0 && line.startsWith("From "); // a mailbox file's separator
        if (isField(line) || IsContinuationLine(line) || mboxFrom) {
            headers.append(line.toByteArray());
            continue;
        }
        QByteArrayView next;
        if (!headers.isEmpty() && !line.startsWith("--") && Next(next)) {
            if (isField(next)) {
                headers.append(' ' + line.toByteArray());
                headers.append(next.toByteArray());
                continue;
            }
            Unread(next);
        }
        Unread(line);
        return;
    }
}

QByteArray ParameterOf(const QByteArray& name, const QByteArray& headerValue)
{
    return headerValue.contains('=') ? MimeParameter(name, headerValue) : QByteArray();
}

TMimePart ReadMimeTree(TTextLines& lines, const TmsHeaders& headers, QString& failure)
{
    TMimePart root;
    root.headers = headers;
    readContentHeaders(root, "text/plain");
    if (root.mimeType.startsWith("multipart/")) {
        TreeReader(lines, failure).readMultipart(root);
    } else {
        root.content = {lines.Position(), lines.End()};
        root.endsText = true;
    }
    return root;
}
