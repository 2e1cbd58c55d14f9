#pragma once
// The content transfer encodings of the mail layer: base64, quoted-printable
// and uuencode. Every coding lets pending events run now and then
// (codec_pump_p.h), so callers must expect UI events during long codings.
#include "mail/codecs/base64.h"
#include "mail/codecs/quoted_printable.h"
#include "mail/codecs/uuencode.h"
