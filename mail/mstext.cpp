#include "mail/mstext_p.h"

namespace {

// Length of the valid UTF-8 sequence at p, or 1 for a stray byte.
qsizetype sequenceLength(const uchar* p, const uchar* end)
{
    const uchar lead = *p;
    const qsizetype n = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3
                                                     : (lead & 0xF8) == 0xF0 ? 4 : 1;
    if (n > end - p)
        return 1;
    for (qsizetype i = 1; i < n; ++i)
        if ((p[i] & 0xC0) != 0x80)
            return 1;
    return n;
}

} // namespace

QByteArray CutText(const QByteArray& text, qsizetype maxChars)
{
    if (text.size() <= maxChars)
        return text;
    const uchar* begin = reinterpret_cast<const uchar*>(text.constData());
    const uchar* end = begin + text.size();
    const uchar* p = begin;
    for (qsizetype chars = 0; chars < maxChars && p < end; ++chars)
        p += sequenceLength(p, end);
    return text.left(p - begin);
}

QByteArray BareFileName(const QByteArray& fileName)
{
    const qsizetype slash = std::max(fileName.lastIndexOf('/'), fileName.lastIndexOf('\\'));
    return fileName.mid(slash + 1);
}

QByteArray SafeFileName(const QByteArray& fileName, qsizetype index)
{
    const QByteArray bare = BareFileName(fileName);
    if (bare.isEmpty() || bare == "." || bare == "..")
        return "att." + QByteArray::number(index);
    return bare;
}

QByteArray Trim(QByteArrayView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && uchar(text[begin]) <= 32)
        ++begin;
    while (end > begin && uchar(text[end - 1]) <= 32)
        --end;
    return text.sliced(begin, end - begin).toByteArray();
}
