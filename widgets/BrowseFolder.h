#pragma once
// A folder browser: a dialog component that lets the user pick a folder from
// a tree of the file system and reports what happens inside the dialog.
#include "toolkit/gui/Dialogs.h"
#include "widgets/BrowseFolderDialog.h"

#include <QAbstractButton>
#include <QFlags>
#include <QModelIndex>
#include <QPointer>
#include <QString>
#include <functional>

class QPushButton;

enum TBrowseInfoFlag {
    bfFileSysDirsOnly = 1,
    bfDontGoBelowDomain = 2,
    bfStatusText = 4,
    bfFileSysAncestors = 8,
    bfBrowseForComputer = 4096,
    bfBrowseForPrinter = 8192
};
Q_DECLARE_FLAGS(TBrowseInfoFlags, TBrowseInfoFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(TBrowseInfoFlags)

enum TSHFolders {
    foDesktop,
    foDesktopExpanded,
    foPrograms,
    foControlPanel,
    foPrinters,
    foPersonal,
    foFavorites,
    foStartup,
    foRecent,
    foSendto,
    foRecycleBin,
    foStartMenu,
    foDesktopDirectory,
    foMyComputer,
    foNetwork,
    foNetworkNeighborhood,
    foFonts,
    foTemplates
};

enum TCustomButtonType { btPushButton, btCheckBox };

using TBrowserInitializedEvent = std::function<void(QObject* Sender, QDialog* Dialog)>;
using TSelectionChangedEvent =
    std::function<void(QObject* Sender, QDialog* Dialog, const QModelIndex& Item, const QString& Directory)>;
using TCustomButtonClickEvent = std::function<void(QObject* Sender, QDialog* Dialog)>;

// The path cut to limit characters for a status line: the part after the
// first becomes "..." and the parts after it go until the rest fits, so the
// first and the last part always stay. An absolute path's first part is the
// root with its first folder ("/home").
QString ShortenPath(const QString& path, int limit = 35);

// The folder at the top of the tree for a special folder: the desktop's own
// folder where Linux has one (the home folder when that one is missing),
// else the whole file system.
QString RootFolderPath(TSHFolders folder);

class TBrowseFolder : public TCommonDialog {
    Q_OBJECT
public:
    explicit TBrowseFolder(QObject* owner);

    QString Directory; // preselected; after a confirmed run, the chosen folder
    QString Title;     // instruction above the tree
    TBrowseInfoFlags Flags = TBrowseInfoFlags(bfFileSysDirsOnly | bfStatusText);
    bool ShowPathInStatusArea = false;
    TSHFolders RootFolder = foDesktopExpanded;
    bool CustomButtonVisible = false;
    TCustomButtonType CustomButtonType = btPushButton;
    bool CustomButtonChecked = false;
    bool SyncCustomButton = false;
    QPointer<QWidget> OwnerWindow; // optional window to open over

    TBrowserInitializedEvent OnInitialized;
    TSelectionChangedEvent OnSelectionChanged;
    TCustomButtonClickEvent OnCustomButtonClick;

    // Caption and enabled state reach an open dialog at once.
    QString CustomButtonCaption() const { return caption; }
    void SetCustomButtonCaption(const QString& text);
    bool CustomButtonEnabled() const { return enabled; }
    void SetCustomButtonEnabled(bool on);
    int CustomButtonWidth() const { return width; }
    void SetCustomButtonWidth(int pixels);

    // The open dialog and its parts; null or empty while it is closed.
    QDialog* Dialog() const;
    QPushButton* OkButton() const;
    QAbstractButton* CustomButton() const { return button; }
    QString StatusText() const;
    QString SelectionText() const { return selection; }
    bool SelectPath(const QString& path);
    void ClearSelection();

protected:
    bool run() override;

private:
    void opened(TBrowseFolderDialog& window);
    void addCustomButton(TBrowseFolderDialog& window);
    void selectionChanged(const QModelIndex& item, const QString& path);
    QWidget* ownerWindow() const;

    QString caption;
    bool enabled = true;
    int width = 75;
    QString selection;
    QPointer<TBrowseFolderDialog> openDialog;
    QPointer<QAbstractButton> button;
};
