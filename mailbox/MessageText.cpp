// Summary and quoting of a message for the editor.
#include "mailbox/MessageText.h"

#include "mail/model/message.h"
#include "mail/headers/header_fields.h"

QStringList SummaryLines(const TmsCustomMessage& message)
{
    const TmsHeaders& headers = message.Headers();
    const auto field = [&](const char* label, const QByteArray& name) {
        return QString::fromUtf8(label + GetHeaderField(headers, name));
    };
    QStringList lines{field("To: ", "To"),
                      field("From: ", "From"),
                      field("Subject: ", "Subject"),
                      field("Date: ", "Date"),
                      field("Return Address: ", "Return-Path"),
                      field("", "Content-Disposition"),
                      QString(),
                      QString()};
    lines.reserve(lines.size() + message.Body().size());
    for (const QByteArray& line : message.Body())
        lines << QString::fromUtf8(line);
    return lines;
}

QStringList Quoted(const QStringList& lines, const QString& mark)
{
    QStringList quoted;
    quoted.reserve(lines.size());
    for (const QString& line : lines)
        quoted << mark + line;
    return quoted;
}
