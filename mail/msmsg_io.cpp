// Message text in Internet form, through the MIME encoder and decoder.
#include "mail/msmime.h"

void TmsMessage::SaveToStream(TStream& stream)
{
    TmsMessageEncoder encoder(*this);
    encoder.OutputStream = &stream;
    encoder.Encode();
}

void TmsMessage::LoadFromStream(TStream& stream)
{
    TmsMessageDecoder decoder(stream);
    decoder.Message = this;
    decoder.Decode();
}

void TmsArticle::SaveToStream(TStream& stream)
{
    TmsArticleEncoder encoder(*this);
    encoder.OutputStream = &stream;
    encoder.Encode();
}

void TmsArticle::LoadFromStream(TStream& stream)
{
    TmsArticleDecoder decoder(stream);
    decoder.Message = this;
    decoder.Decode();
}
