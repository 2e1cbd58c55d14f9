#pragma once
// Long codings let pending events run: the codecs report the bytes they have
// handled, and events are processed at most every 20 ms of such work, so a
// Cancel button stays live without paying for an event pass per line.
#include <QtGlobal>

void CodecWorkDone(qsizetype bytes);
