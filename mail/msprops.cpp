#include "mail/msprops_p.h"

void DefineLines(TFiler& filer, const QString& name, TStringList& lines)
{
    const auto read = [&lines](TReader& r) {
        lines.clear();
        r.ReadListBegin();
        while (!r.EndOfList())
            lines.append(r.ReadString());
        r.ReadListEnd();
    };
    const auto write = [&lines](TWriter& w) {
        w.WriteListBegin();
        for (const QByteArray& line : lines)
            w.WriteString(line);
        w.WriteListEnd();
    };
    filer.DefineProperty(name, read, write, !lines.isEmpty());
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
    filer.DefineProperty(name, read, [&get](TWriter& w) { w.WriteInteger(get()); }, true);
}
