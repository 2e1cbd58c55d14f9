#include "app/EditCommands.h"

#include "app/Commands.h"
#include "app/ComposePanel.h"
#include "toolkit/gui/RichEdit.h"

#include <QApplication>
#include <QLineEdit>

EditCommands::EditCommands(TRichEdit& editor, const ComposePanel& compose, QObject* parent)
    : QObject(parent), editor(editor), compose(compose)
{
    commands.cut = newCommand(
        this, "Cut1", "&Cut", [this] { editCut(); }, ctrlKey('X'));
    commands.copy = newCommand(
        this, "Copy1", "Cop&y", [this] { editCopy(); }, ctrlKey('C'));
    commands.paste = newCommand(
        this, "Paste1", "&Paste", [this] { editPaste(); }, ctrlKey('V'));
    commands.undo = newCommand(
        this, "Undo1", "&Undo", [this] { editUndo(); }, ctrlKey('U'));
    commands.redo = newCommand(this, "Redo1", "&Redo", [this] { editRedo(); });
    commands.redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), ctrlKey('Y')});
}

// With the focus neither in the editor nor in a compose field, the clipboard
// commands do nothing.
bool EditCommands::editorHasFocus() const
{
    QWidget* focus = QApplication::focusWidget();
    return focus && (focus == editor.view() || editor.view()->isAncestorOf(focus));
}

void EditCommands::editCut()
{
    if (QLineEdit* field = compose.focusedField())
        field->cut();
    else if (editorHasFocus())
        editor.CutToClipboard();
}

void EditCommands::editCopy()
{
    if (QLineEdit* field = compose.focusedField())
        field->copy();
    else if (editorHasFocus())
        editor.CopyToClipboard();
}

void EditCommands::editPaste()
{
    if (QLineEdit* field = compose.focusedField())
        field->paste();
    else if (editorHasFocus())
        editor.PasteFromClipboard();
}

// The format bar and the status bar follow the selection undo leaves, as
// they follow any other selection change.
void EditCommands::editUndo()
{
    editor.Undo();
    editor.OnSelectionChange();
}

void EditCommands::editRedo()
{
    editor.Redo();
    editor.OnSelectionChange();
}
