#include "widgets/BrowseFolder.h"

#include <QApplication>
#include <QPushButton>

namespace {
const int defaultButtonWidth = 75;
const int buttonHeight = 23;

// Horizontally centred over the reference window, its top a quarter of
// that window's height below the window's top. The dialog has no frame until
// it is shown, so it is assumed to get one as wide as the reference's.
void placeOver(QWidget& window, const QWidget* reference)
{
    if (!reference)
        return;
    const QRect area = reference->frameGeometry();
    const int frameWidth = window.width() + area.width() - reference->width();
    window.move(area.x() + (area.width() - frameWidth) / 2, area.y() + area.height() / 4);
}
} // namespace

TBrowseFolder::TBrowseFolder(QObject* owner) : TCommonDialog(owner) {}

void TBrowseFolder::SetCustomButtonCaption(const QString& text)
{
    caption = text;
    if (button)
        button->setText(text);
}

void TBrowseFolder::SetCustomButtonEnabled(bool on)
{
    enabled = on;
    if (button)
        button->setEnabled(on);
}

void TBrowseFolder::SetCustomButtonWidth(int pixels)
{
    width = pixels > 0 ? pixels : defaultButtonWidth;
}

QDialog* TBrowseFolder::Dialog() const
{
    return openDialog;
}

QPushButton* TBrowseFolder::OkButton() const
{
    return openDialog ? openDialog->okButton() : nullptr;
}

QString TBrowseFolder::StatusText() const
{
    return openDialog ? openDialog->statusText() : QString();
}

bool TBrowseFolder::SelectPath(const QString& path)
{
    return openDialog && openDialog->selectPath(path);
}

void TBrowseFolder::ClearSelection()
{
    if (openDialog)
        openDialog->clearSelection();
}

bool TBrowseFolder::run()
{
    TBrowseFolderDialog window(RootFolderPath(RootFolder), ownerWindow());
    window.setInstruction(Title);
    window.setStatusLineVisible(Flags.testFlag(bfStatusText));
    openDialog = &window;
    selection.clear();
    connect(&window, &TBrowseFolderDialog::currentChanged, this, &TBrowseFolder::selectionChanged);
    opened(window);

    const bool confirmed = window.exec() == QDialog::Accepted && !selection.isEmpty();
    if (confirmed) {
        if (button && CustomButtonType == btCheckBox)
            CustomButtonChecked = button->isChecked();
        Directory = selection;
    }
    openDialog = nullptr;
    return confirmed;
}

void TBrowseFolder::opened(TBrowseFolderDialog& window)
{
    if (!window.selectPath(Directory))
        window.selectPath(window.rootPath());
    if (RootFolder == foDesktopExpanded)
        window.expandRoot();
    if (CustomButtonVisible)
        addCustomButton(window);
    // Placed at its final size; the focus is still on the window the user
    // worked in, as the dialog is not shown yet.
    window.resize(window.size().expandedTo(window.minimumSizeHint()));
    QWidget* focused = QApplication::activeWindow();
    placeOver(window, focused ? focused : ownerWindow());
    // Handlers may close the dialog, which only works once it runs.
    QMetaObject::invokeMethod(
        &window,
        [this, &window] {
            if (OnInitialized)
                OnInitialized(this, &window);
        },
        Qt::QueuedConnection);
}

void TBrowseFolder::addCustomButton(TBrowseFolderDialog& window)
{
    button = window.addCustomButton(CustomButtonType == btCheckBox);
    button->setText(caption);
    button->setFixedSize(width, buttonHeight);
    button->setEnabled(enabled);
    button->setChecked(CustomButtonType == btCheckBox && CustomButtonChecked);
    connect(button, &QAbstractButton::clicked, this, [this] {
        if (OnCustomButtonClick)
            OnCustomButtonClick(this, openDialog);
    });
}

void TBrowseFolder::selectionChanged(const QModelIndex& item, const QString& path)
{
    selection = path;
    if (ShowPathInStatusArea)
        openDialog->setStatusText(ShortenPath(path));
    const bool hasPath = !path.isEmpty();
    openDialog->okButton()->setEnabled(hasPath);
    if (SyncCustomButton)
        SetCustomButtonEnabled(hasPath);
    if (OnSelectionChanged)
        OnSelectionChanged(this, openDialog, item, path);
}

QWidget* TBrowseFolder::ownerWindow() const
{
    if (OwnerWindow)
        return OwnerWindow->window();
    if (auto* control = qobject_cast<QWidget*>(parent()))
        return control->window();
    return QApplication::activeWindow();
}
