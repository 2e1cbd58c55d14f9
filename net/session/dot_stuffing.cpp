#include "net/session/dot_stuffing_p.h"

#include <cstring>

// Both copy into room made once for the chunk, kept between chunks: for
// lines this short QByteArray's append costs more than the copy itself.

namespace {

char* copyLine(char* to, const char* from, qsizetype size)
{
    std::memcpy(to, from, size_t(size));
    return to + size;
}

} // namespace

// A stuffed line is at least a dot and an LF: the chunk grows by half at most.
void TDotStuffer::Encode(const char* data, qsizetype size, QByteArray& out)
{
    out.resize(size + size / 2 + 1);
    char* o = out.data();
    const char* p = data;
    const char* end = data + size;
    while (p < end) {
        if (atLineStart && *p == '.')
            *o++ = '.';
        const char* lf = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
        const char* next = lf ? lf + 1 : end;
        o = copyLine(o, p, next - p);
        atLineStart = lf != nullptr;
        p = next;
    }
    out.truncate(o - out.constData());
}

// Never more out than in, but for the CR of a dot line the last chunk ended in.
qsizetype TDotUnstuffer::Decode(const char* data, qsizetype size, QByteArray& out)
{
    out.resize(size + 1);
    char* o = out.data();
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
            state = c == '\n' ? Ended : InLine; // the stuffed dot is gone either way
            if (state == Ended)
                ++p;
            continue;
        case AfterDotCr:
            if (c == '\n') {
                state = Ended;
                ++p;
                continue;
            }
            *o++ = '\r';
            state = InLine;
            continue;
        case InLine: {
            const char* lf = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
            const char* next = lf ? lf + 1 : end;
            o = copyLine(o, p, next - p);
            if (lf)
                state = LineStart;
            p = next;
            continue;
        }
        case Ended: break;
        }
    }
    out.truncate(o - out.constData());
    return p - data;
}
