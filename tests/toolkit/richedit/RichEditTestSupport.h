#pragma once
// Shared helpers of the editor and RTF tests: sample files and the
// attributes of the text at a place in a document.
#include "toolkit/gui/RichEditAttributes.h"

#include <QFile>
#include <QTextCursor>
#include <QTextDocument>

inline QByteArray sample(const QString& name)
{
    QFile file(qEnvironmentVariable("PV_TEST_DATA") + QStringLiteral("/data/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Attributes of the character at pos.
inline RichEditAttributes attributesAt(const QTextDocument& doc, int pos)
{
    QTextCursor c(const_cast<QTextDocument*>(&doc));
    c.setPosition(pos + 1);
    return RichEditAttributes::of(c.charFormat(), doc.defaultFont());
}

// Attributes of the first character of the first occurrence of text.
inline RichEditAttributes attributesOf(const QTextDocument& doc, const QString& text)
{
    const int pos = int(doc.toPlainText().indexOf(text));
    if (pos < 0)
        return {QStringLiteral("<missing ") + text + u'>', 0, {}, 0};
    return attributesAt(doc, pos);
}

// The character format of the first character of the first occurrence of text.
inline QTextCharFormat formatOf(const QTextDocument& doc, const QString& text)
{
    QTextCursor c(const_cast<QTextDocument*>(&doc));
    c.setPosition(int(doc.toPlainText().indexOf(text)) + 1);
    return c.charFormat();
}

constexpr int Bold = int(TFontStyle::Bold);
constexpr int Italic = int(TFontStyle::Italic);
constexpr int Underline = int(TFontStyle::Underline);
constexpr int StrikeOut = int(TFontStyle::StrikeOut);
