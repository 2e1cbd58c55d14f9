#include "mail/model/stored_properties_p.h"

void DefineList(TFiler& filer, const QString& name, qsizetype count, const std::function<void()>& clear,
                const std::function<void(TReader&)>& readItem,
                const std::function<void(TWriter&, qsizetype)>& writeItem)
{
    const auto read = [&](TReader& r) {
        clear();
        r.ReadListBegin();
        while (!r.EndOfList())
            readItem(r);
        r.ReadListEnd();
    };
    const auto write = [&](TWriter& w) {
        w.WriteListBegin();
        for (qsizetype i = 0; i < count; ++i)
            writeItem(w, i);
        w.WriteListEnd();
    };
    filer.DefineProperty(name, read, write, count > 0);
}

void DefineLines(TFiler& filer, const QString& name, TStringList& lines)
{
    DefineList(
        filer, name, lines.size(), [&lines] { lines.clear(); }, [&lines](TReader& r) { lines.append(r.ReadString()); },
        [&lines](TWriter& w, qsizetype i) { w.WriteString(lines.at(i)); });
}

void DefineText(TFiler& filer, const QString& name, const std::function<QByteArray()>& get,
                const std::function<void(const QByteArray&)>& set)
{
    filer.DefineProperty(
        name, [&set](TReader& r) { set(r.ReadString()); }, [&get](TWriter& w) { w.WriteString(get()); },
        !get().isEmpty());
}

void DefineNumber(TFiler& filer, const QString& name, const std::function<int()>& get,
                  const std::function<void(int)>& set, int last, int fallback)
{
    const auto read = [&](TReader& r) {
        const qint64 value = r.ReadInteger();
        set(value >= 0 && value <= last ? int(value) : fallback);
    };
    filer.DefineProperty(
        name, read, [&get](TWriter& w) { w.WriteInteger(get()); }, true);
}
