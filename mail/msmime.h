#pragma once
// The MIME encoder, which writes a message as Internet message text, and the
// decoder, which reads such text into a message. SaveToStream and
// LoadFromStream of the messages run them; each lives for one conversion.
#include "mail/msmsg.h"
#include "mail/msstreams.h"

#include <memory>

// A message text the decoder cannot read as a whole. Never leaves Decode: it
// becomes explanatory body lines and the "original.eml" attachment.
PV_DECLARE_EXCEPTION(EMessageParserError, Exception)

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
    // A header line whose value may need encoded words; label included.
    void WriteHeader(QByteArrayView label, const QByteArray& value);
    QByteArray PhraseAddress(const TmsMailAddress& address, bool quoteDotted) const;

    TmsCustomMessage& message;

private:
    void flush();
    void writeLayout();
    void writePlainMessage();
    void writeFormattedMessage();
    void writeSinglePartMessage();
    void writeMultipartMessage(bool alternative);
    void writeTextPart();
    void writeTextPartHeaders();
    void writeAttachmentPart(const TmsAttItem& item, bool plain, bool closing);
    void writeAttachmentHeaders(const TmsAttItem& item, bool plain);
    void writeAttachmentData(const TmsAttItem& item, bool endsText);
    void writeUUMessage();
    QByteArray makeBoundary(const QByteArray& other = {}) const;
    bool needsQuotedPrintable() const;

    QByteArray buffer;
    bool longLines = false;
    bool eightBit = false;
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
    void readHeaderBlock(TmsHeaders& list);
    void storeParseFailure(const QString& text);
    void decodeMimeMessage();
    void decodeTextMessage();
    void decodeUtf8QuotedPrintableText();
    void decodeAsUUMessage();
    void decodePlainMessage();
    void decodeUUAttachments(QByteArrayView beginLine);
    void decodeSinglePartAttachment();
    void decodeMultipart();
    bool decodeFirstPart();
    bool closeNestedAlternative();
    void decodeParts();
    bool readPartData(TmsAttItem& item, bool uuencoded);
    void setBodyText(const QByteArray& text, const QByteArray& contentType, bool quotedPrintable);
    void addAttachment(std::unique_ptr<TmsAttItem> item);
    bool isDelimiter(QByteArrayView line) const;
    bool isCloseDelimiter(QByteArrayView line) const;
    // The text's last line break, which the line reader does not show.
    bool endsWithLineBreak() const;
    void skipToDelimiter(const char* failure);

    TLineStream reader;
    TmsHeaders partHeaders;
    QByteArray boundary;
    QByteArray outerBoundary;
    QByteArrayView lastLine;
    bool inNestedAlternative = false;
    bool alternativeMessage = false;
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
