#include "widgets/RecentFilesList.h"

#include "toolkit/Exception.h"
#include "toolkit/Registry.h"
#include "toolkit/gui/ErrorHandler.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>

#include <algorithm>

namespace {

const QString listSection = QStringLiteral("MRU");
const QString totalValue = QStringLiteral("Total");
// Far more than a menu can usefully show: a damaged "Total" must not stall
// the program's start.
constexpr int mostLoaded = 100;

// Decimal, or hexadecimal after "0x"; anything else counts as no entries.
int parseTotal(const QString& text)
{
    bool ok = false;
    const int total = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? text.mid(2).toInt(&ok, 16)
                                                                                : text.toInt(&ok);
    return ok ? total : 0;
}

} // namespace

TMostRecentUsedList::TMostRecentUsedList(QObject* owner) : QObject(owner), separator(new QAction(this))
{
    separator->setText(QStringLiteral("-"));
    separator->setSeparator(true);
}

// The list is stored whenever it changes, so there is nothing left to write here.
TMostRecentUsedList::~TMostRecentUsedList() = default;

void TMostRecentUsedList::Loaded()
{
    requireMenu();
    loadList();
}

void TMostRecentUsedList::AddFilename(const QString& fileName)
{
    requireMenu();
    const auto same = [&](const Entry& e) { return e.fileName.compare(fileName, Qt::CaseInsensitive) == 0; };
    const qsizetype index = std::find_if(entries.cbegin(), entries.cend(), same) - entries.cbegin();
    if (index < entries.size()) {
        moveToTop(index);
        return;
    }
    detachMenu();
    entries.prepend({fileName, newItem()});
    if (entries.size() > MaxEntries)
        delete entries.takeLast().item;
    attachMenu();
    saveList();
}

void TMostRecentUsedList::requireMenu() const
{
    if (!MenuToAttach)
        throw Exception(QStringLiteral("MenuToAttach have to be assigned before"));
}

// A failing selection handler shows its error and leaves the entry where it is.
QAction* TMostRecentUsedList::newItem()
{
    auto* item = new QAction(this);
    connect(item, &QAction::triggered, this, Guard([this, item](bool) { entryClicked(item); }));
    return item;
}

void TMostRecentUsedList::entryClicked(QAction* item)
{
    const auto ofItem = [item](const Entry& e) { return e.item == item; };
    auto found = std::find_if(entries.cbegin(), entries.cend(), ofItem);
    if (found == entries.cend())
        return;
    if (OnSelectFilename)
        OnSelectFilename(this, found->fileName);
    // The handler may have changed the list.
    found = std::find_if(entries.cbegin(), entries.cend(), ofItem);
    if (found != entries.cend() && found != entries.cbegin())
        moveToTop(found - entries.cbegin());
}

void TMostRecentUsedList::moveToTop(qsizetype index)
{
    detachMenu();
    entries.move(index, 0);
    attachMenu();
    saveList();
}

QString TMostRecentUsedList::captionOf(qsizetype index)
{
    QString name = entries[index].fileName;
    if (OnDrawFilename) {
        OnDrawFilename(this, int(index) + 1, name);
        return name;
    }
    if (FilenameStyle == dsShort)
        name = QFileInfo(name).fileName();
    // An ampersand in a name is shown, not taken for the item's access key.
    return QStringLiteral("&%1 ").arg(index + 1) + name.replace(QLatin1Char('&'), QLatin1String("&&"));
}

void TMostRecentUsedList::detachMenu()
{
    if (AddSeparator && !entries.isEmpty())
        MenuToAttach->removeAction(separator);
    for (const Entry& e : std::as_const(entries))
        MenuToAttach->removeAction(e.item);
}

void TMostRecentUsedList::attachMenu()
{
    qsizetype position = MenuIndex >= 0 ? MenuIndex : MenuToAttach->actions().size();
    const auto insertAt = [this](qsizetype at, QAction* item) {
        MenuToAttach->insertAction(MenuToAttach->actions().value(at, nullptr), item);
    };
    if (AddSeparator && !entries.isEmpty())
        insertAt(position++, separator);
    for (qsizetype i = 0; i < entries.size(); ++i) {
        entries[i].item->setText(captionOf(i));
        insertAt(position + i, entries[i].item);
    }
}

void TMostRecentUsedList::saveList() const
{
    TRegIniFile store(RegistryKey);
    store.EraseSection(listSection);
    for (qsizetype i = 0; i < entries.size(); ++i)
        store.WriteString(listSection, QString::number(i), entries[i].fileName);
    store.WriteInteger(listSection, totalValue, int(entries.size()));
}

void TMostRecentUsedList::loadList()
{
    const TRegIniFile store(RegistryKey);
    const int total = std::min(parseTotal(store.ReadString(listSection, totalValue, QString())), mostLoaded);
    for (int i = 0; i < total; ++i)
        entries.append({store.ReadString(listSection, QString::number(i), QString()), newItem()});
    attachMenu();
}
