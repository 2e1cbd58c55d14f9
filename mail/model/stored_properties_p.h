#pragma once
// Stored-property helpers of the message model: the messages (message.cpp,
// message_mail_news.cpp) and the address and attachment lists (message_items.cpp)
// define their stored form with them over toolkit/Persistence.
#include "toolkit/Persistence.h"
#include "toolkit/StringList.h"

#include <functional>

// A list stored when count is above 0: written by writeItem for each index
// from 0, read by clear and then readItem until the list ends.
void DefineList(TFiler& filer, const QString& name, qsizetype count, const std::function<void()>& clear,
                const std::function<void(TReader&)>& readItem,
                const std::function<void(TWriter&, qsizetype)>& writeItem);
void DefineLines(TFiler& filer, const QString& name, TStringList& lines);
void DefineText(TFiler& filer, const QString& name, const std::function<QByteArray()>& get,
                const std::function<void(const QByteArray&)>& set);
// An enumeration or flag: values outside 0..last are read as fallback.
void DefineNumber(TFiler& filer, const QString& name, const std::function<int()>& get,
                  const std::function<void(int)>& set, int last, int fallback);
