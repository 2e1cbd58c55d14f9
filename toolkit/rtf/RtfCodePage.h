#pragma once
// Decoding of the 8-bit text in RTF (\'hh escapes and raw high bytes) by the
// code page in force: a font's \fcharset or the document's \ansicpg.
#include <QByteArray>
#include <QString>
#include <QStringDecoder>

namespace Rtf {

// The Symbol font's own encoding (\fcharset2), numbered as Windows numbers it.
constexpr int SymbolCodePage = 42;

// The Unicode character a Symbol font code (0x20..0xFF) draws.
char16_t symbolCharacter(uchar code);

// Code page that an RTF \fcharset value stands for; 0 when it has none.
int codePageOfCharset(int charset);

class CodePageDecoder {
public:
    explicit CodePageDecoder(int codePage = 1252);
    int codePage() const { return page; }
    // Appends the text of bytes to out. Multi-byte pages need the whole run.
    void decode(const QByteArray& bytes, QString& out);

private:
    int page;
    QStringDecoder decoder;
};

}
