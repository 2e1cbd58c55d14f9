#pragma once
// What the decoder's files share: the message text read line by line, the
// tree of MIME parts read from it, and the filling of a message from that
// tree.
#include "mail/mime/mime.h"

#include <vector>

// Bytes of the message text from begin to end: whole lines, each with its
// line end, but for a last line that ends the text without one.
struct TTextRange {
    qsizetype begin = 0;
    qsizetype end = 0;
};

// The lines of a range, read one at a time; the views point into the text.
// A line or two read can be given back, so that a header block can end at a
// line that is not a field and leave that line to the content.
class TTextLines {
public:
    TTextLines(const QByteArray& text, TTextRange range);

    // False at the end of the range.
    bool Next(QByteArrayView& line);
    // Given back lines come again, the last one given first.
    void Unread(QByteArrayView line);
    // Where a line read begins in the text.
    qsizetype Offset(QByteArrayView line) const { return line.data() - base; }
    // Where the next line begins; End() after the last.
    qsizetype Position();
    qsizetype End() const { return end; }
    // Skips to the next line that begins with "--", the only lines that may
    // be delimiters: the bytes between are searched, not split into lines.
    // False, at the end, when there is none.
    bool SkipToDashLine();

    // Fields and their continuation lines up to an empty line (read past),
    // a line that is no field (left to the content) or the end. A line that
    // is no field between two fields continues the one above: mailers fold
    // long parameters so.
    void ReadHeaderBlock(TmsHeaders& headers);

private:
    void seek(qsizetype offset);

    const char* base;
    qsizetype end;
    TLineStream lines;
    QByteArrayView held[2];
    int heldCount = 0;
};

// One part of a MIME message. A multipart that was walked holds its parts;
// any other part, a multipart nested too deep included, is a leaf with data.
struct TMimePart {
    TmsHeaders headers;
    QByteArray contentType; // the raw value, parameters included; empty when absent
    QByteArray mimeType;    // lower-case type/subtype, defaults applied
    QByteArray charset;     // the type's "charset" parameter
    TransferCoding coding = TransferCoding::SevenBit;
    TTextRange content;    // a leaf's data lines
    bool endsText = false; // the data runs to the end of the text
    bool walked = false;
    std::vector<TMimePart> children;
};

// A parameter of a header value (MimeParameter); a value without "=" has
// none, and is not searched.
QByteArray ParameterOf(const QByteArray& name, const QByteArray& headerValue);

// The parts of a message's body after its header block, the message's own
// headers standing as the root's. A failure that leaves what came before it
// readable ("Cannot find closing boundary") goes to failure, and the tree
// holds what was read; a multipart whose boundary never occurs raises
// EMessageParserError.
TMimePart ReadMimeTree(TTextLines& lines, const TmsHeaders& headers, QString& failure);

// A leaf's data decoded by its transfer encoding. Codec errors pass.
QByteArray DecodePartData(const QByteArray& text, const TMimePart& part);

// Where a text part stands. A message of one text part may hold uuencoded
// files; in a multipart the encoder ends the text with a line break of its
// own before the delimiter.
enum class BodyPlace { WholeMessage, InMultipart };

// The body's lines from a text part, made UTF-8 from its character set.
void ReadBodyText(TmsCustomMessage& message, const QByteArray& text, const TMimePart& part, BodyPlace place);

// The body's lines from the readable text of an HTML part.
void ReadHtmlBody(TmsCustomMessage& message, const QByteArray& html, const QByteArray& charset);

// The text's lines of a body that may hold uuencoded files: the text lines
// go to the body, each file becomes an attachment.
void FillPlainMessage(TmsCustomMessage& message, const QByteArray& text, TTextRange range);

// The body from the first text part that is no attachment (within an
// alternative, plain text before HTML), every other leaf an attachment.
void FillMimeMessage(TmsCustomMessage& message, const QByteArray& text, const TMimePart& root);
