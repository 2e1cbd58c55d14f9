#pragma once
// Undo and redo, and the clipboard commands, which go to the editor or to the
// compose field that has the focus.
#include <QObject>

class ComposePanel;
class QAction;
class TRichEdit;

class EditCommands : public QObject {
    Q_OBJECT
public:
    EditCommands(TRichEdit& editor, const ComposePanel& compose, QObject* parent);

    QAction* cutAction() const { return commands.cut; }
    QAction* copyAction() const { return commands.copy; }
    QAction* pasteAction() const { return commands.paste; }
    QAction* undoAction() const { return commands.undo; }
    QAction* redoAction() const { return commands.redo; }

private:
    bool editorHasFocus() const;
    void editCut();
    void editCopy();
    void editPaste();
    void editUndo();
    void editRedo();

    TRichEdit& editor;
    const ComposePanel& compose;
    struct {
        QAction *cut, *copy, *paste, *undo, *redo;
    } commands;
};
