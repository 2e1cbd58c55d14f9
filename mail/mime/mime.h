#pragma once
// The MIME encoder, which writes a message as Internet message text, and the
// decoder, which reads such text into a message. SaveToStream and
// LoadFromStream of the messages run them; each lives for one conversion.
#include "mail/model/message.h"
#include "mail/store/mail_streams.h"

#include <memory>

// A message text the decoder cannot read as a whole. Never leaves Decode: it
// becomes explanatory body lines and the "original.eml" attachment.
PV_DECLARE_EXCEPTION(EMessageParserError, Exception)

// How the encoder writes a sender's or recipient's name: in double quotes
// where its specials would split or misread the address (mail), or always as
// it stands (news).
enum class NameQuoting { WhereNeeded, Never };

// The kind of a multipart message.
enum class MultipartKind { Mixed, Alternative };

// Whether an attachment part's headers name its file. Other forms of the
// body and the first part of a formatted body go unnamed.
enum class PartNaming { Named, Unnamed };

// What follows a part's data in the message text.
enum class PartEnd { Delimiter, CloseDelimiter, EndOfText };

// The Content-Transfer-Encoding a part's data goes out in.
enum class PartCoding { SevenBit, EightBit, QuotedPrintable, Base64 };

// A part's Content-Transfer-Encoding as the decoder reads it; Uuencode is
// "x-uue...": uuencoded lines, kept as a base64 attachment.
enum class TransferCoding { SevenBit, Base64, QuotedPrintable, Uuencode };

class TmsCustomEncoder {
public:
    // Reads the message; never changes it.
    explicit TmsCustomEncoder(TmsCustomMessage& message);
    virtual ~TmsCustomEncoder();

    // Not owned; set before Encode.
    TStream* OutputStream = nullptr;
    // Some body line is 256 bytes or longer.
    bool LongLines() const { return longLines; }

    // Writes the whole text from position 0 of OutputStream. Stream and codec
    // errors pass to the caller; what was written before stays.
    void Encode();
    // One line and CR LF.
    void WriteLine(QByteArrayView line);

protected:
    // The header block without the content headers.
    virtual void WriteHeaders() = 0;
    // The custom headers, less those the encoder writes itself.
    void WriteCustomHeaders();
    // "Subject:" and "Mime-Version:" as they close every header block.
    void WriteClosingHeaders();
    // Header text of one field, folded where a line would pass 998
    // characters; it may already hold folds of its own.
    void WriteHeaderLine(QByteArrayView text);
    // A header line whose value may need encoded words; label included.
    void WriteHeader(QByteArrayView label, const QByteArray& value);
    QByteArray PhraseAddress(const TmsMailAddress& address, NameQuoting quoting) const;

    TmsCustomMessage& message;

private:
    // One custom field with its continuation lines.
    void writeCustomField(const TmsHeaders& lines);
    // The addresses of a field's value, each as PhraseAddress writes it;
    // empty where an address itself is not 7-bit.
    QByteArray addressListText(const QByteArray& value) const;
    void flush();
    void writeLayout();
    void writeFormattedMessage();
    void writeSinglePartMessage();
    void writeMultipartMessage(MultipartKind kind);
    void writeTextPart(PartEnd end);
    void writeAttachmentPart(const TmsAttItem& item, PartNaming naming, PartEnd end);
    void writeAttachmentHeaders(const TmsAttItem& item, PartNaming naming, PartCoding coding);
    void writeAttachmentData(const TmsAttItem& item, PartCoding coding, PartEnd end);
    void writeQuotedPrintable(const QByteArray& bytes, PartEnd end);
    // The data in lines of at most blockSize bytes, each made by encodeLine;
    // the last line is the short one, empty where the data fills whole lines.
    void writeBlockLines(const QByteArray& data, qsizetype blockSize, void (*encodeLine)(QByteArrayView, QByteArray&));
    void writeUUMessage();
    QByteArray makeBoundary(const QByteArray& other = {}) const;
    bool needsQuotedPrintable() const;
    // The body's character set label; none for 7-bit text of no declared set.
    const char* bodyCharset() const;

    QByteArray buffer;
    bool longLines = false;
    bool eightBit = false;
    bool nulBytes = false; // never sent raw: readers stop or cut at one
};

class TmsMessageEncoder : public TmsCustomEncoder {
public:
    explicit TmsMessageEncoder(TmsMessage& message) : TmsCustomEncoder(message), mail(message) {}

protected:
    void WriteHeaders() override;

private:
    void writeAddressLines(QByteArray label, const TmsAddressList& list);
    TmsMessage& mail;
};

class TmsArticleEncoder : public TmsCustomEncoder {
public:
    explicit TmsArticleEncoder(TmsArticle& article) : TmsCustomEncoder(article), article(article) {}

protected:
    void WriteHeaders() override;

private:
    TmsArticle& article;
};

class TmsCustomDecoder {
public:
    // Copies the whole stream from its start.
    explicit TmsCustomDecoder(TStream& input);
    virtual ~TmsCustomDecoder();

    // Not owned; set before Decode. Expected to be empty.
    TmsCustomMessage* Message = nullptr;

    // Fills the message. Only I/O and out-of-memory errors leave it: a text
    // that cannot be read becomes the parse-failure form.
    void Decode();

protected:
    virtual void ApplyHeaders() = 0;
    TmsHeaders MessageHeaders;

private:
    bool isMime() const;
    void storeParseFailure(const QString& reason);

    const QByteArray text;
};

class TmsMessageDecoder : public TmsCustomDecoder {
public:
    using TmsCustomDecoder::TmsCustomDecoder;

protected:
    void ApplyHeaders() override { Message->ReadHeaders(MessageHeaders); }
};

class TmsArticleDecoder : public TmsCustomDecoder {
public:
    using TmsCustomDecoder::TmsCustomDecoder;

protected:
    void ApplyHeaders() override { Message->ReadHeaders(MessageHeaders); }
};
