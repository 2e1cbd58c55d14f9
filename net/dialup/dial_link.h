#pragma once
// What the session needs of a dial-up link: brought up before a connection
// opens, and after it closes hung up when the link dialled it itself (Abort
// also ends a dial under way). TrkRas (dialer.h) is the link over
// NetworkManager. Nothing in the program sets a session's dial link, so the
// window never dials; pvmail's --dial does.
class TrkDialLink {
public:
    virtual ~TrkDialLink() = default;
    virtual void Dial() = 0;
    virtual void Abort() = 0;
};
