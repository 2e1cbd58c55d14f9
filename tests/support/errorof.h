#pragma once
// The message of the exception a call raises.
#include "toolkit/Exception.h"

#include <QString>

// Empty when the call raises none.
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

// For a call that must raise Ex: says so when it raises another or none.
template <class Ex, class Call>
QString FailureOf(Call call)
{
    try {
        call();
    } catch (const Ex& e) {
        return e.Message;
    } catch (const Exception& e) {
        return QStringLiteral("other exception: ") + e.Message;
    }
    return QStringLiteral("no exception");
}
