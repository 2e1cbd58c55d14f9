#pragma once
// Changes another program makes to the open file: noticed from its size,
// modification time and a hash kept at each load and save, asked about
// before Save overwrites them and offered for reloading when the window
// comes back into focus.
#include "app/DocumentSession.h"

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <optional>

class DiskChanges : public QObject {
    Q_OBJECT
public:
    DiskChanges(DocumentSession& session, QObject* parent);

    // The document now matches its file (or is new): remember the file as it is.
    void remember();
    // Before Save writes over the document's file: what the user wants done.
    OverwriteDecision beforeSave(const QString& fileName);
    // The window gained focus: a changed file is offered for reloading, once.
    void windowActivated();

private:
    struct Stamp {
        qint64 size = 0;
        QDateTime modified;
        QByteArray hash;
        bool operator==(const Stamp&) const = default;
    };
    enum class DiskState { Unchanged, Changed, Deleted };

    static std::optional<Stamp> stampOf(const QString& fileName, const std::optional<Stamp>& known);
    DiskState diskState(const QString& fileName);

    DocumentSession& session;
    std::optional<Stamp> remembered;
    std::optional<Stamp> offered; // the change last offered for reloading
};
