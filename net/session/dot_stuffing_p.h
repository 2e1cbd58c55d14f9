#pragma once
// Transparency of multi-line data on the wire: the sender puts one more "."
// before every line that begins with "." (SMTP), the receiver takes one off
// and stops at the line that is "." alone (POP3). Both keep their
// start-of-line state across the chunks they are fed.
#include <QByteArray>

class TDotStuffer {
public:
    // Appends the chunk, stuffed, to out (which is cleared first).
    void Encode(const char* data, qsizetype size, QByteArray& out);

private:
    bool atLineStart = true;
};

class TDotUnstuffer {
public:
    // Appends the chunk, unstuffed, to out (cleared first) and returns how
    // many bytes it took: fewer than size when the end line came before the
    // chunk's end. The end line itself is consumed but not written.
    qsizetype Decode(const char* data, qsizetype size, QByteArray& out);
    bool Done() const { return state == Ended; }

private:
    enum State { LineStart, AfterDot, AfterDotCr, InLine, Ended };
    State state = LineStart;
};
