// Find, replace and replace-all over the editor's text, driven by the
// modeless find and replace dialogs.
#include "app/MainWindow.h"

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

void MainWindow::createFindComponents()
{
    FindDialog1 = new TFindDialog(this);
    FindDialog1->setObjectName(QStringLiteral("FindDialog1"));
    FindDialog1->OnFind = Guard([this] { FindDialog1Find(); });
    ReplaceDialog1 = new TReplaceDialog(this);
    ReplaceDialog1->setObjectName(QStringLiteral("ReplaceDialog1"));
    ReplaceDialog1->OnFind = Guard([this] { ReplaceDialog1Find(); });
    ReplaceDialog1->OnReplace = Guard([this] { ReplaceDialog1Replace(); });
}

void MainWindow::Find1Click() { FindDialog1->Execute(); }
void MainWindow::Replace1Click() { ReplaceDialog1->Execute(); }
void MainWindow::FindDialog1Find() { findNext(FindDialog1->FindText, FindDialog1->Options); }
void MainWindow::ReplaceDialog1Find() { findNext(ReplaceDialog1->FindText, ReplaceDialog1->Options); }

// A match is selected.
void MainWindow::findNext(const QString& text, int options)
{
    const int at = RichEdit1->FindText(text, searchStart(*RichEdit1), -1, searchOptions(options));
    if (at < 0)
        return reportNotFound(text);
    RichEdit1->setFocus();
    RichEdit1->SetSelection(at, int(text.size()));
}

// The selection is replaced as it is: it is not compared with the find text.
void MainWindow::ReplaceDialog1Replace()
{
    if (ReplaceDialog1->Options & TFindDialog::frReplaceAll)
        DoReplaceAll(ReplaceDialog1->FindText, ReplaceDialog1->ReplaceText);
    else if (RichEdit1->SelLength() > 0)
        RichEdit1->SetSelText(ReplaceDialog1->ReplaceText);
}

// Each search goes on after the text just inserted or declined, so a
// replacement that holds the find text ("a" by "aa") still comes to an end,
// and an empty one does not bring back matches already declined.
// One edit block holds the whole run: Qt lays the document out once at its
// end rather than after each replacement, which made a long run in rich text
// quadratic, and Undo takes the run back in one step. Each match is still
// selected while its question is asked; the format bar follows at the end.
void MainWindow::DoReplaceAll(const QString& findText, const QString& replaceText)
{
    const QString question = QStringLiteral("Replace this instance of \"%1\" with \"%2\"?").arg(findText, replaceText);
    const TSearchOptions options = searchOptions(ReplaceDialog1->Options);
    int from = searchStart(*RichEdit1);
    {
        QTextCursor run(RichEdit1->document());
        run.beginEditBlock();
        auto selectionChange = std::exchange(RichEdit1->OnSelectionChange, nullptr);
        const auto endRun = qScopeGuard([&] {
            RichEdit1->OnSelectionChange = std::move(selectionChange);
            run.endEditBlock();
        });
        RichEdit1->setFocus();
        for (int at; (at = RichEdit1->FindText(findText, from, -1, options)) >= 0;) {
            RichEdit1->SetSelection(at, int(findText.size()));
            if (MessageDlg(question, mtConfirmation, mbYesNo) != mrYes) {
                from = at + int(findText.size());
                continue;
            }
            RichEdit1->SetSelText(replaceText);
            RichEdit1->SetSelection(at, int(replaceText.size()));
            from = at + int(replaceText.size());
        }
    }
    RichEdit1SelectionChange();
    reportNotFound(findText);
}
