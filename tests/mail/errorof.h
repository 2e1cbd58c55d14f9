#pragma once
// The message of the Exception a call raises, or empty when it raises none.
#include "toolkit/Exception.h"

#include <QString>

template <class F>
QString errorOf(F f)
{
    try {
        f();
    } catch (const Exception& e) {
        return e.Message;
    }
    return {};
}
