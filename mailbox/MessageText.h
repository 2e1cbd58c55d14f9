#pragma once
// The text the editor shows of a message: the summary of its header fields
// with its body, and the quoting of a reply or forward.
#include <QStringList>

class TmsCustomMessage;

// "To: ", "From: ", "Subject: ", "Date: ", "Return Address: " with their
// values, the Content-Disposition value, two empty lines, then the body.
QStringList SummaryLines(const TmsCustomMessage& message);

// Every line, empty ones too, with mark in front of it.
QStringList Quoted(const QStringList& lines, const QString& mark);
