#pragma once
// The characters that reorder the text around them. In a name from mail
// they can make "invoice<RLO>fdp.exe" read as a PDF, so saved names and
// shown texts never keep them.

inline constexpr bool IsBidirectionalControl(char32_t c)
{
    return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0x200E || c == 0x200F || c == 0x061C;
}
