#include "toolkit/gui/ColorGridAccessible_p.h"

#include "toolkit/gui/ColorGrid.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>

namespace {

class ColorCellAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    ColorCellAccessible(TColorGrid* grid, int index) : grid(grid), index(index) {}

    bool isValid() const override { return !grid.isNull(); }
    QObject* object() const override { return nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(grid); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    void setText(QAccessible::Text, const QString&) override {}
    QAccessible::Role role() const override { return QAccessible::ListItem; }

    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name ? TColorGrid::ColorName(index) : QString();
    }

    QRect rect() const override
    {
        if (!grid)
            return {};
        const QRect cell = grid->CellRect(index);
        return QRect(grid->mapToGlobal(cell.topLeft()), cell.size());
    }

    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!grid)
            return s;
        s.selectable = true;
        s.focusable = true;
        s.selected = grid->ForegroundIndex() == index;
        s.focused = grid->hasFocus() && grid->CurrentIndex() == index;
        s.invisible = !grid->isVisible();
        return s;
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

    void doAction(const QString& name) override
    {
        if (grid && name == pressAction())
            grid->PickIndex(index);
    }

private:
    QPointer<TColorGrid> grid;
    int index;
};

class ColorGridAccessible : public QAccessibleWidget {
public:
    explicit ColorGridAccessible(TColorGrid* grid) : QAccessibleWidget(grid, QAccessible::List) {}

    ~ColorGridAccessible() override
    {
        for (QAccessible::Id id : std::as_const(cells))
            QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return int(TColorGrid::Palette().size()); }

    QAccessibleInterface* child(int index) const override
    {
        if (index < 0 || index >= childCount())
            return nullptr;
        if (const auto known = cells.constFind(index); known != cells.constEnd())
            return QAccessible::accessibleInterface(*known);
        auto* cell = new ColorCellAccessible(grid(), index);
        cells.insert(index, QAccessible::registerAccessibleInterface(cell));
        return cell;
    }

    int indexOfChild(const QAccessibleInterface* child) const override
    {
        for (auto it = cells.constBegin(); it != cells.constEnd(); ++it)
            if (QAccessible::accessibleInterface(it.value()) == child)
                return it.key();
        return -1;
    }

    QAccessibleInterface* childAt(int x, int y) const override
    {
        const QPoint at = grid()->mapFromGlobal(QPoint(x, y));
        for (int i = 0; i < childCount(); ++i)
            if (grid()->CellRect(i).contains(at))
                return child(i);
        return nullptr;
    }

private:
    TColorGrid* grid() const { return static_cast<TColorGrid*>(widget()); }
    mutable QHash<int, QAccessible::Id> cells;
};

QAccessibleInterface* colorGridFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("TColorGrid"))
        return new ColorGridAccessible(static_cast<TColorGrid*>(object));
    return nullptr;
}

} // namespace

void InstallColorGridAccessibility()
{
    static const bool installed = (QAccessible::installFactory(colorGridFactory), true);
    Q_UNUSED(installed);
}

void ColorGridCurrentChanged(TColorGrid* grid)
{
    if (!QAccessible::isActive() || !grid->hasFocus())
        return;
    QAccessibleEvent event(grid, QAccessible::Focus);
    event.setChild(grid->CurrentIndex());
    QAccessible::updateAccessibility(&event);
}
