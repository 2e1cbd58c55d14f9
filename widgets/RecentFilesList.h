#pragma once
// A recent-files list: keeps the names of the files last used, shows them as
// numbered items in a menu, reports a click on one and keeps the list in the
// per-user registry between runs.
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class QAction;
class QMenu;

enum TFilenameStyle { dsShort, dsFull };

using TNotifyEventMRU = std::function<void(QObject* Sender, const QString& Filename)>;
// Supplies the caption of entry Index (counted from 1) by changing Filename.
using TDrawFilenameEvent = std::function<void(QObject* Sender, int Index, QString& Filename)>;

class TMostRecentUsedList : public QObject {
    Q_OBJECT
public:
    explicit TMostRecentUsedList(QObject* owner);
    ~TMostRecentUsedList() override;

    QPointer<QMenu> MenuToAttach; // required
    TFilenameStyle FilenameStyle = dsShort;
    int MaxEntries = 5; // applied when a name is added, not when loading
    QString RegistryKey = QStringLiteral("Software\\MyCompany\\MyApp");
    int MenuIndex = -1; // negative: at the end of the menu
    bool AddSeparator = true;
    TNotifyEventMRU OnSelectFilename;
    TDrawFilenameEvent OnDrawFilename;

    // Once the owner has set the properties: shows the stored list.
    void Loaded();
    // Puts the name at the top; a name listed already, in any letter case, moves there.
    void AddFilename(const QString& fileName);

private:
    struct Entry {
        QString fileName;
        QAction* item;
    };

    void requireMenu() const;
    QAction* newItem();
    void entryClicked(QAction* item);
    void moveToTop(qsizetype index);
    QString captionOf(qsizetype index);
    void detachMenu();
    void attachMenu();
    void saveList() const;
    void loadList();

    QList<Entry> entries; // most recent first
    QAction* separator;
};
