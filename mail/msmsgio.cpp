// Message text in Internet form. The MIME encoder and decoder units take
// these over; until they are linked in, the conversion is refused plainly.
#include "mail/msmsg.h"

namespace {

[[noreturn]] void unavailable()
{
    throw EInvalidOperation(QStringLiteral("Message text conversion is not available"));
}

} // namespace

void TmsMessage::SaveToStream(TStream&) { unavailable(); }
void TmsMessage::LoadFromStream(TStream&) { unavailable(); }
void TmsArticle::SaveToStream(TStream&) { unavailable(); }
void TmsArticle::LoadFromStream(TStream&) { unavailable(); }
