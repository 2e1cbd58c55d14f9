#include "widgets/BrowseFolderDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QTreeView>
#include <QVBoxLayout>

namespace {
bool isBelow(const QString& path, const QString& folder)
{
    const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    return path.size() > prefix.size() && path.startsWith(prefix);
}

// Keeps the root folder, what lies under it, and its ancestors (without
// which the root could not be reached); hides every sibling on the way.
class RootFilter : public QSortFilterProxyModel {
public:
    RootFilter(const QString& root, QObject* parent) : QSortFilterProxyModel(parent), root(root) {}

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override
    {
        const auto* files = static_cast<const QFileSystemModel*>(sourceModel());
        const QString path = files->filePath(files->index(row, 0, parent));
        return path == root || isBelow(path, root) || isBelow(root, path);
    }

private:
    QString root;
};
} // namespace

TBrowseFolderDialog::TBrowseFolderDialog(const QString& rootPath, QWidget* parent)
    : QDialog(parent),
      root(QDir::cleanPath(rootPath)),
      model(new QFileSystemModel(this)),
      filter(new RootFilter(root, this)),
      instruction(new QLabel),
      statusLine(new QLabel),
      tree(new QTreeView),
      buttonRow(new QHBoxLayout)
{
    setWindowTitle(tr("Select Folder"));
    setUpTree();

    instruction->setWordWrap(true);
    statusLine->setObjectName(QStringLiteral("statusLine"));
    statusLine->setWordWrap(true);

    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    ok = box->button(QDialogButtonBox::Ok);
    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    buttonRow->addStretch();
    buttonRow->addWidget(box);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(instruction);
    layout->addWidget(statusLine);
    layout->addWidget(tree, 1);
    layout->addLayout(buttonRow);
    resize(340, 400);
}

// Tearing down the models must not reach a half-destroyed dialog.
TBrowseFolderDialog::~TBrowseFolderDialog()
{
    filter->disconnect(this);
    tree->selectionModel()->disconnect(this);
}

void TBrowseFolderDialog::setUpTree()
{
    model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    model->setRootPath(root);
    filter->setSourceModel(model);

    tree->setModel(filter);
    tree->setHeaderHidden(true);
    for (int column = 1; column < model->columnCount(); ++column)
        tree->hideColumn(column);
    tree->setRootIndex(filter->mapFromSource(model->index(root).parent()));
    connect(tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { currentItemChanged(current); });
    connect(filter, &QAbstractItemModel::layoutChanged, this, &TBrowseFolderDialog::keepCurrentInView);
    connect(filter, &QAbstractItemModel::rowsInserted, this, &TBrowseFolderDialog::keepCurrentInView);
    for (QWidget* part : std::initializer_list<QWidget*>{tree, tree->viewport(), tree->verticalScrollBar()})
        part->installEventFilter(this);
}

void TBrowseFolderDialog::setInstruction(const QString& text)
{
    instruction->setText(text);
    instruction->setVisible(!text.isEmpty());
}

void TBrowseFolderDialog::setStatusLineVisible(bool visible)
{
    statusLine->setVisible(visible);
}

void TBrowseFolderDialog::setStatusText(const QString& text)
{
    statusLine->setText(text);
}

QString TBrowseFolderDialog::statusText() const
{
    return statusLine->text();
}

bool TBrowseFolderDialog::selectPath(const QString& path)
{
    if (path.isEmpty() || !QFileInfo(path).isDir())
        return false;
    const QModelIndex item = filter->mapFromSource(model->index(QDir::cleanPath(path)));
    if (!item.isValid())
        return false;
    tree->setCurrentIndex(item);
    tree->scrollTo(item);
    return true;
}

void TBrowseFolderDialog::clearSelection()
{
    tree->setCurrentIndex(QModelIndex());
}

void TBrowseFolderDialog::expandRoot()
{
    tree->expand(filter->mapFromSource(model->index(root)));
}

QAbstractButton* TBrowseFolderDialog::addCustomButton(bool checkBox)
{
    QAbstractButton* button = checkBox ? static_cast<QAbstractButton*>(new QCheckBox)
                                       : static_cast<QAbstractButton*>(new QPushButton);
    button->setObjectName(QStringLiteral("customButton"));
    buttonRow->insertWidget(0, button);
    setTabOrder(tree, button);
    setTabOrder(button, ok);
    return button;
}

// Listings arrive after the dialog opens and push the chosen folder out of
// sight; it is brought back until the user starts browsing.
void TBrowseFolderDialog::keepCurrentInView()
{
    if (following && tree->currentIndex().isValid())
        tree->scrollTo(tree->currentIndex());
}

bool TBrowseFolderDialog::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseButtonPress || type == QEvent::Wheel || type == QEvent::KeyPress)
        following = false;
    return QDialog::eventFilter(watched, event);
}

void TBrowseFolderDialog::currentItemChanged(const QModelIndex& current)
{
    const QModelIndex item = filter->mapToSource(current);
    emit currentChanged(item, item.isValid() ? model->filePath(item) : QString());
}
