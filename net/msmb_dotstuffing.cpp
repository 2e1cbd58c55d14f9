#include "net/msmb_dotstuffing_p.h"

#include <cstring>

void TDotStuffer::Encode(const char* data, qsizetype size, QByteArray& out)
{
    out.clear();
    out.reserve(size + size / 64 + 1);
    const char* p = data;
    const char* end = data + size;
    while (p < end) {
        if (atLineStart && *p == '.')
            out.append('.');
        const char* lf = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
        const char* next = lf ? lf + 1 : end;
        out.append(p, next - p);
        atLineStart = lf != nullptr;
        p = next;
    }
}

qsizetype TDotUnstuffer::Decode(const char* data, qsizetype size, QByteArray& out)
{
    out.clear();
    out.reserve(size);
    const char* p = data;
    const char* end = data + size;
    while (p < end && state != Ended) {
        const char c = *p;
        switch (state) {
        case LineStart:
            if (c == '.') {
                state = AfterDot;
                ++p;
                continue;
            }
            state = InLine;
            continue;
        case AfterDot:
            if (c == '\r') {
                state = AfterDotCr;
                ++p;
                continue;
            }
            state = c == '\n' ? Ended : InLine;   // the stuffed dot is gone either way
            if (state == Ended)
                ++p;
            continue;
        case AfterDotCr:
            if (c == '\n') {
                state = Ended;
                ++p;
                continue;
            }
            out.append('\r');
            state = InLine;
            continue;
        case InLine: {
            const char* lf = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
            const char* next = lf ? lf + 1 : end;
            out.append(p, next - p);
            if (lf)
                state = LineStart;
            p = next;
            continue;
        }
        case Ended:
            break;
        }
    }
    return p - data;
}
