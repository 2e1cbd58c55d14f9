#pragma once
// Failures raised by the mail layer's own text handling.
#include "toolkit/Exception.h"

// Input that a codec cannot read ("Invalid Character").
PV_DECLARE_EXCEPTION(EInOutError, Exception)
