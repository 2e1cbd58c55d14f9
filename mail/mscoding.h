#pragma once
// The content transfer encodings of the mail layer: base64, quoted-printable
// and uuencode. Every coding lets pending events run now and then
// (mscodecpump_p.h), so callers must expect UI events during long codings.
#include "mail/msbase64.h"
#include "mail/msqp.h"
#include "mail/msuucode.h"
