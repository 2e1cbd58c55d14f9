// The main window's editing commands: undo and redo, the selection's
// character formats with the format bar and the font dialog that mirror them,
// word wrap and the editor's context menu.
#include "app/MainWindow.h"

#include "toolkit/gui/ColorGrid.h"
#include "toolkit/gui/Dialogs.h"
#include "toolkit/gui/ErrorHandler.h"
#include "toolkit/gui/RichEdit.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolButton>

#include <functional>

namespace {

// Qt lays a changed range out again before a format change returns, which
// over a long selection takes seconds. With the page size null during the
// change Qt skips that, and the size set back starts the layout over lazily,
// as after a load: the text down to the view when it is painted, the rest
// between events. Shorter selections are quicker laid out at once than all
// over again. Either way the changes are one step for Undo.
void changeFormat(TRichEdit& editor, const std::function<void()>& change)
{
    constexpr int longSelection = 100000;
    QTextDocument* doc = editor.document();
    const auto asOneStep = [&] {
        QTextCursor step(doc);
        step.beginEditBlock();
        change();
        step.endEditBlock();
    };
    if (editor.PlainText() || editor.SelLength() < longSelection) {
        asOneStep();
        return;
    }
    const QSizeF pageSize = doc->pageSize();
    doc->setPageSize(QSizeF(0, 0));
    asOneStep();
    doc->setPageSize(pageSize);
}

// A style button shows its letter in the style while the selection has it.
void mirrorStyle(QToolButton* button, QAction* item, bool on, void (QFont::*setStyle)(bool))
{
    QFont font = button->font();
    (font.*setStyle)(on);
    button->setFont(font);
    item->setChecked(on);
}

} // namespace

void MainWindow::createEditComponents()
{
    FontDialog1 = new TFontDialog(this);
    FontDialog1->setObjectName(QStringLiteral("FontDialog1"));
    connect(FontName, &QComboBox::textActivated, this, Guard([this](const QString& name) { FontNameClick(name); }));
    connect(SpinEdit1, &QSpinBox::valueChanged, this, Guard([this](int) { SpinEdit1Change(); }));
    ColorGrid1->OnClick = Guard([this] { ColorGrid1Click(); });
    connect(PopupMenu1, &QMenu::aboutToShow, this, Guard([this] { PopupMenu1Popup(); }));
}

void MainWindow::setChangeStates()
{
    const TConsistentAttributes same = RichEdit1->SelConsistency();
    faceConsistent = same.Name;
    sizeConsistent = same.Size;
    colorConsistent = same.Color;
    styleConsistent = same.Bold && same.Italic && same.Underline && same.StrikeOut;
}

// Setting the controls must not run their commands: the spinner's change
// would otherwise write the size it was just given back into the document.
void MainWindow::getCurrentSelState()
{
    const TFontStyles style = RichEdit1->SelStyle();
    mirrorStyle(BoldButton, Bold1, style & int(TFontStyle::Bold), &QFont::setBold);
    mirrorStyle(ItalicButton, Italicize1, style & int(TFontStyle::Italic), &QFont::setItalic);
    mirrorStyle(UnderlineButton, Underline1, style & int(TFontStyle::Underline), &QFont::setUnderline);
    selFontName = RichEdit1->SelFontName();
    selFontSize = RichEdit1->SelFontSize();
    selFontColor = RichEdit1->SelColor();
    QFont font(selFontName);
    font.setPointSize(std::max(selFontSize, 1));
    font.setBold(style & int(TFontStyle::Bold));
    font.setItalic(style & int(TFontStyle::Italic));
    font.setUnderline(style & int(TFontStyle::Underline));
    font.setStrikeOut(style & int(TFontStyle::StrikeOut));
    FontDialog1->Font = font;
    FontDialog1->Color = selFontColor;
    const QSignalBlocker quietSpinner(SpinEdit1);
    SpinEdit1->setValue(selFontSize);
    FontName->setCurrentText(selFontName);
}

void MainWindow::Undo1Click()
{
    RichEdit1->Undo();
    RichEdit1SelectionChange();
}

void MainWindow::Redo1Click()
{
    RichEdit1->Redo();
    RichEdit1SelectionChange();
}

void MainWindow::Bold1Click() { toggleStyle(Bold1, int(TFontStyle::Bold)); }
void MainWindow::Italicize1Click() { toggleStyle(Italicize1, int(TFontStyle::Italic)); }
void MainWindow::Underline1Click() { toggleStyle(Underline1, int(TFontStyle::Underline)); }

// Over a selection of mixed styles nothing changes; otherwise the one style
// flips and the others, uniform by then, are written back as they were.
void MainWindow::toggleStyle(const QAction* item, int style)
{
    if (!styleConsistent)
        return;
    const TFontStyles current = RichEdit1->SelStyle();
    changeFormat(*RichEdit1, [&] { RichEdit1->SetSelStyle(item->isChecked() ? current & ~style : current | style); });
    getCurrentSelState();
}

// An attribute the user changes goes over the whole selection; one left as
// shown keeps a mixture; a mixed style is never overwritten.
void MainWindow::Font1Click()
{
    if (!FontDialog1->Execute())
        return;
    const QFont& font = FontDialog1->Font;
    changeFormat(*RichEdit1, [&] {
        if (colorConsistent || FontDialog1->Color != selFontColor)
            RichEdit1->SetSelColor(FontDialog1->Color);
        if (faceConsistent || font.family() != selFontName)
            RichEdit1->SetSelFontName(font.family());
        const int points = font.pointSize();
        if (points > 0 && (sizeConsistent || points != selFontSize))
            RichEdit1->SetSelFontSize(points);
        if (styleConsistent)
            RichEdit1->SetSelStyle((font.bold() ? int(TFontStyle::Bold) : 0) | (font.italic() ? int(TFontStyle::Italic) : 0)
                                   | (font.underline() ? int(TFontStyle::Underline) : 0)
                                   | (font.strikeOut() ? int(TFontStyle::StrikeOut) : 0));
    });
    getCurrentSelState();
}

void MainWindow::FontNameClick(const QString& name)
{
    changeFormat(*RichEdit1, [&] { RichEdit1->SetSelFontName(name); });
    getCurrentSelState();
}

void MainWindow::SpinEdit1Change()
{
    if (!sizeConsistent)
        return;
    changeFormat(*RichEdit1, [&] { RichEdit1->SetSelFontSize(SpinEdit1->value()); });
    getCurrentSelState();
}

void MainWindow::ColorGrid1Click()
{
    changeFormat(*RichEdit1, [&] { RichEdit1->SetSelColor(ColorGrid1->ForegroundColor()); });
}

void MainWindow::WordWrap1Click()
{
    const bool wrap = !WordWrap1->isChecked();
    RichEdit1->SetWordWrap(wrap);
    WordWrap1->setChecked(wrap);
}

void MainWindow::PopupMenu1Popup()
{
    const bool selected = RichEdit1->SelLength() > 0;
    const bool rich = !PlainText1->isChecked();
    PopupCut1->setEnabled(selected);
    PopupCopy1->setEnabled(selected);
    for (QAction* style : {PopupBold1, PopupUnderline1, PopupItalicize1})
        style->setEnabled(selected && rich);
}
