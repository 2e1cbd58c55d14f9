// Any bytes as a whole message text: loading must neither crash, hang nor
// leak, and never raise for the content (only I/O and memory errors may).
#include "mail/mime/mime.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TMemoryStream stream(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    TmsMessage message;
    message.LoadFromStream(stream);
    // Saving what was read walks every decoded field once more.
    TMemoryStream again;
    message.SaveToStream(again);
    return 0;
}
