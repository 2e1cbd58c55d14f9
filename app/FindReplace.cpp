#include "app/FindReplace.h"

#include "app/Commands.h"
#include "toolkit/gui/Dialogs.h"
#include "toolkit/gui/ErrorHandler.h"
#include "toolkit/gui/Prompter.h"
#include "toolkit/gui/RichEdit.h"

#include <QScopeGuard>
#include <QTextCursor>

#include <utility>

namespace {

TSearchOptions searchOptions(int dialogOptions)
{
    return {bool(dialogOptions & TFindDialog::frMatchCase), bool(dialogOptions & TFindDialog::frWholeWord)};
}

void reportNotFound(const QString& text)
{
    MessageDlg(text + QStringLiteral(" not found..."), mtInformation, mbOK);
}

// Forwards from the selection's end, or from the beginning of the text when
// nothing is selected, wherever the caret is.
int searchStart(const TRichEdit& editor)
{
    return editor.SelLength() > 0 ? editor.SelStart() + editor.SelLength() : 0;
}

} // namespace

FindReplace::FindReplace(TRichEdit& editor, QWidget* window) : QObject(window), editor(editor)
{
    findCommand = newCommand(this, "Find1", "&Find", [this] { findDialog->Execute(); });
    replaceCommand = newCommand(this, "Replace1", "&Replace", [this] { replaceDialog->Execute(); });
    findDialog = new TFindDialog(window);
    findDialog->setObjectName(QStringLiteral("FindDialog1"));
    findDialog->OnFind = Guard([this] { findNext(findDialog->FindText, findDialog->Options); });
    replaceDialog = new TReplaceDialog(window);
    replaceDialog->setObjectName(QStringLiteral("ReplaceDialog1"));
    replaceDialog->OnFind = Guard([this] { findNext(replaceDialog->FindText, replaceDialog->Options); });
    replaceDialog->OnReplace = Guard([this] { replaceSelection(); });
}

// A match is selected.
void FindReplace::findNext(const QString& text, int options)
{
    const int at = editor.FindText(text, searchStart(editor), -1, searchOptions(options));
    if (at < 0)
        return reportNotFound(text);
    editor.setFocus();
    editor.SetSelection(at, int(text.size()));
}

// The selection is replaced as it is: it is not compared with the find text.
void FindReplace::replaceSelection()
{
    if (replaceDialog->Options & TFindDialog::frReplaceAll)
        replaceAll(replaceDialog->FindText, replaceDialog->ReplaceText);
    else if (editor.SelLength() > 0)
        editor.SetSelText(replaceDialog->ReplaceText);
}

// Each search goes on after the text just inserted or declined, so a
// replacement that holds the find text ("a" by "aa") still comes to an end,
// and an empty one does not bring back matches already declined.
// One edit block holds the whole run: Qt lays the document out once at its
// end rather than after each replacement, which made a long run in rich text
// quadratic, and Undo takes the run back in one step. Each match is still
// selected while its question is asked; the format bar follows at the end.
void FindReplace::replaceAll(const QString& findText, const QString& replaceText)
{
    const QString question = QStringLiteral("Replace this instance of \"%1\" with \"%2\"?").arg(findText, replaceText);
    const TSearchOptions options = searchOptions(replaceDialog->Options);
    int from = searchStart(editor);
    {
        QTextCursor run(editor.document());
        run.beginEditBlock();
        auto selectionChange = std::exchange(editor.OnSelectionChange, nullptr);
        const auto endRun = qScopeGuard([&] {
            editor.OnSelectionChange = std::move(selectionChange);
            run.endEditBlock();
        });
        editor.setFocus();
        for (int at; (at = editor.FindText(findText, from, -1, options)) >= 0;) {
            editor.SetSelection(at, int(findText.size()));
            if (MessageDlg(question, mtConfirmation, mbYesNo) != mrYes) {
                from = at + int(findText.size());
                continue;
            }
            editor.SetSelText(replaceText);
            editor.SetSelection(at, int(replaceText.size()));
            from = at + int(replaceText.size());
        }
    }
    editor.OnSelectionChange();
    reportNotFound(findText);
}
