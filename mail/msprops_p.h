#pragma once
// Stored-property helpers shared by the message classes.
#include "toolkit/Persistence.h"
#include "toolkit/StringList.h"

#include <functional>

void DefineLines(TFiler& filer, const QString& name, TStringList& lines);
void DefineText(TFiler& filer, const QString& name, const std::function<QByteArray()>& get,
                const std::function<void(const QByteArray&)>& set);
// An enumeration or flag: values outside 0..last are read as fallback.
void DefineNumber(TFiler& filer, const QString& name, const std::function<int()>& get,
                  const std::function<void(int)>& set, int last, int fallback);
