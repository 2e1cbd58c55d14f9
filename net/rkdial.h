#pragma once
// What the session needs of a dial-up link: brought up before a connection
// opens, hung up after it closes. The dial-up component implements it.
class TrkDialLink {
public:
    virtual ~TrkDialLink() = default;
    virtual void Dial() = 0;
    virtual void HangUp() = 0;
};
