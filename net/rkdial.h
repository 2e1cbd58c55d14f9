#pragma once
// What the session needs of a dial-up link: brought up before a connection
// opens, hung up after it closes. It is the interface the dial-up component
// will implement; nothing implements it yet, and no code sets a session's
// RAS, so the program never dials.
class TrkDialLink {
public:
    virtual ~TrkDialLink() = default;
    virtual void Dial() = 0;
    virtual void HangUp() = 0;
};
