#pragma once
// The folder browser's window: an instruction, a status line, a tree of the
// folders under one root folder, OK and Cancel, and room for one more button
// at the bottom left.
#include <QDialog>
#include <QModelIndex>

class QAbstractButton;
class QFileSystemModel;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QSortFilterProxyModel;
class QTreeView;

class TBrowseFolderDialog : public QDialog {
    Q_OBJECT
public:
    TBrowseFolderDialog(const QString& rootPath, QWidget* parent = nullptr);
    ~TBrowseFolderDialog() override;

    void setInstruction(const QString& text);
    void setStatusLineVisible(bool visible);
    void setStatusText(const QString& text);
    QString statusText() const;

    // Makes the folder the current item when it lies under the root.
    bool selectPath(const QString& path);
    void clearSelection();
    void expandRoot();
    QString rootPath() const { return root; }

    QPushButton* okButton() const { return ok; }
    QAbstractButton* addCustomButton(bool checkBox);

signals:
    // item belongs to the file-system model; path is empty for no item.
    void currentChanged(const QModelIndex& item, const QString& path);

private:
    void setUpTree();
    void currentItemChanged(const QModelIndex& current);
    void keepCurrentInView();
    bool eventFilter(QObject* watched, QEvent* event) override;

    QString root;
    QFileSystemModel* model;
    QSortFilterProxyModel* filter;
    QLabel* instruction;
    QLabel* statusLine;
    QTreeView* tree;
    QHBoxLayout* buttonRow;
    QPushButton* ok;
    bool following = true;
};
