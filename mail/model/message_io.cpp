// Message text in Internet form, through the MIME encoder and decoder.
#include "mail/mime/mime.h"

namespace {

template <class Encoder, class Message>
void encode(Message& message, TStream& stream)
{
    Encoder encoder(message);
    encoder.OutputStream = &stream;
    encoder.Encode();
}

template <class Decoder>
void decode(TmsCustomMessage& message, TStream& stream)
{
    Decoder decoder(stream);
    decoder.Message = &message;
    decoder.Decode();
}

} // namespace

void TmsMessage::SaveToStream(TStream& stream)
{
    encode<TmsMessageEncoder>(*this, stream);
}

void TmsMessage::LoadFromStream(TStream& stream)
{
    decode<TmsMessageDecoder>(*this, stream);
}

void TmsArticle::SaveToStream(TStream& stream)
{
    encode<TmsArticleEncoder>(*this, stream);
}

void TmsArticle::LoadFromStream(TStream& stream)
{
    decode<TmsArticleDecoder>(*this, stream);
}
