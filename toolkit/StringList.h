#pragma once
// A list of lines of mail text: bytes, line ends not included.
#include <QByteArray>
#include <QList>
#include <QString>

class TStream;

class TStringList : public QList<QByteArray> {
public:
    using QList<QByteArray>::QList;

    qsizetype Count() const { return size(); }
    // Index-checked access raising EListError with the index.
    const QByteArray& Strings(qsizetype index) const;
    void SetStrings(qsizetype index, const QByteArray& line);
    void Delete(qsizetype index);
    void Insert(qsizetype index, const QByteArray& line);
    qsizetype Add(const QByteArray& line)
    {
        append(line);
        return size() - 1;
    }
    void Assign(const TStringList& other) { *this = other; }

    // Lines joined with CR LF, each line ended (an empty list is empty).
    QByteArray Text() const;
    // Splits at CR LF, LF or a lone CR; a final line end adds no empty line.
    void SetText(const QByteArray& text);

    void LoadFromStream(TStream& stream); // from the position to the end
    void SaveToStream(TStream& stream) const;
    void LoadFromFile(const QString& fileName);
    void SaveToFile(const QString& fileName) const;
};
