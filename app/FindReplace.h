#pragma once
// Find, replace and replace-all over the editor's text, driven by the
// modeless find and replace dialogs.
#include <QObject>

class QAction;
class QWidget;
class TFindDialog;
class TReplaceDialog;
class TRichEdit;

class FindReplace : public QObject {
    Q_OBJECT
public:
    // window: the owner of the dialogs.
    FindReplace(TRichEdit& editor, QWidget* window);

    QAction* findAction() const { return findCommand; }
    QAction* replaceAction() const { return replaceCommand; }

private:
    void findNext(const QString& text, int options);
    void replaceSelection();
    void replaceAll(const QString& findText, const QString& replaceText);

    TRichEdit& editor;
    TFindDialog* findDialog;
    TReplaceDialog* replaceDialog;
    QAction* findCommand;
    QAction* replaceCommand;
};
