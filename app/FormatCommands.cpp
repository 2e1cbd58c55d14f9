#include "app/FormatCommands.h"

#include "app/BarControls.h"
#include "app/Commands.h"
#include "app/DocumentSession.h"
#include "toolkit/gui/ColorGrid.h"
#include "toolkit/gui/Dialogs.h"
#include "toolkit/gui/ErrorHandler.h"
#include "toolkit/gui/RichEdit.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFontDatabase>
#include <QLayout>
#include <QRegularExpression>
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

// One entry per family: the font database tells apart a family that several
// foundries make by a "[foundry]" suffix the user has no use for.
QStringList fontFamilies()
{
    static const QRegularExpression foundry(QStringLiteral("\\s*\\[[^\\]]*\\]$"));
    QStringList families;
    for (const QString& family : QFontDatabase::families())
        if (!QFontDatabase::isPrivateFamily(family))
            families << QString(family).remove(foundry);
    families.removeDuplicates();
    families.sort(Qt::CaseInsensitive);
    return families;
}

} // namespace

FormatCommands::FormatCommands(TRichEdit& editor, QWidget* window) : QObject(window), editor(editor)
{
    commands.font = newCommand(
        this, "Font1", "&Font", [this] { chooseFont(); }, ctrlKey('F'));
    commands.bold = newCheckCommand(
        this, "Bold1", "&Bold", [this] { textBold(); }, ctrlKey('B'));
    commands.italic = newCheckCommand(
        this, "Italicize1", "&Italicize", [this] { textItalic(); }, ctrlKey('I'));
    commands.underline = newCheckCommand(
        this, "Underline1", "Under&line", [this] { textUnderline(); }, ctrlKey('L'));
    fontDialog = new TFontDialog(window);
    fontDialog->setObjectName(QStringLiteral("FontDialog1"));
}

void FormatCommands::addControlsTo(QWidget* bar)
{
    QLayout* row = bar->layout();
    fontNameBox = new QComboBox(bar);
    fontNameBox->setObjectName(QStringLiteral("FontName"));
    fontNameBox->setEditable(true);
    fontNameBox->setInsertPolicy(QComboBox::NoInsert);
    fontNameBox->addItems(fontFamilies());
    fontNameBox->setMaxVisibleItems(24);
    // Room for a long family name in the field, and for the longest in the list.
    fontNameBox->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    fontNameBox->setMinimumContentsLength(22);
    fontNameBox->view()->setMinimumWidth(fontNameBox->view()->sizeHintForColumn(0) + 24);
    fontNameBox->setToolTip(QStringLiteral("Choose font typeface form list"));
    nameControl(fontNameBox, fontNameBox->toolTip());
    row->addWidget(fontNameBox);
    fontSizeSpin = new QSpinBox(bar);
    fontSizeSpin->setObjectName(QStringLiteral("SpinEdit1"));
    fontSizeSpin->setRange(8, 72);
    fontSizeSpin->setToolTip(QStringLiteral("Set font size"));
    nameControl(fontSizeSpin, fontSizeSpin->toolTip());
    row->addWidget(fontSizeSpin);
    colorGrid = new TColorGrid(bar);
    colorGrid->setObjectName(QStringLiteral("ColorGrid1"));
    colorGrid->setToolTip(QStringLiteral("Click to Choose Font Color"));
    colorGrid->setAccessibleName(colorGrid->toolTip());
    row->addWidget(colorGrid);
    // Their letters are drawn in the style while the selection has it.
    const auto styleButton = [bar](QAction* action, const char* caption, const char* hint) {
        QToolButton* button = commandButton(bar, action, QString::fromLatin1(hint), QIcon());
        button->setText(QString::fromLatin1(caption));
        button->setAccessibleName(QString(action->text()).remove(QLatin1Char('&')));
        return button;
    };
    boldButton = styleButton(commands.bold, "B", "Bold selected text");
    italicButton = styleButton(commands.italic, "I", "Italicize selected text");
    underlineButton = styleButton(commands.underline, "U", "Underline selected text");
    connect(fontNameBox, &QComboBox::textActivated, this,
            Guard([this](const QString& fontName) { applyFontName(fontName); }));
    connect(fontSizeSpin, &QSpinBox::valueChanged, this, Guard([this](int) { applyFontSize(); }));
    colorGrid->OnClick = Guard([this] { applyColor(); });
}

void FormatCommands::followMode(TextMode mode)
{
    const bool rich = mode == TextMode::Rich;
    for (QAction* action : {commands.font, commands.bold, commands.italic, commands.underline})
        action->setEnabled(rich);
    fontNameBox->setVisible(rich);
    fontSizeSpin->setVisible(rich);
    colorGrid->setVisible(rich);
}

void FormatCommands::start()
{
    fontNameBox->setCurrentText(QStringLiteral("Arial"));
    fontSizeSpin->setValue(10);
}

void FormatCommands::followSelection()
{
    readConsistency();
    showSelectionFormat();
}

void FormatCommands::readConsistency()
{
    const TConsistentAttributes same = editor.SelConsistency();
    faceConsistent = same.Name;
    sizeConsistent = same.Size;
    colorConsistent = same.Color;
    styleConsistent = same.Bold && same.Italic && same.Underline && same.StrikeOut;
}

// Setting the controls must not run their commands: the spinner's change
// would otherwise write the size it was just given back into the document.
void FormatCommands::showSelectionFormat()
{
    const TFontStyles style = editor.SelStyle();
    mirrorStyle(boldButton, commands.bold, style & int(TFontStyle::Bold), &QFont::setBold);
    mirrorStyle(italicButton, commands.italic, style & int(TFontStyle::Italic), &QFont::setItalic);
    mirrorStyle(underlineButton, commands.underline, style & int(TFontStyle::Underline), &QFont::setUnderline);
    selFontName = editor.SelFontName();
    selFontSize = editor.SelFontSize();
    selFontColor = editor.SelColor();
    QFont font(selFontName);
    font.setPointSize(std::max(selFontSize, 1));
    font.setBold(style & int(TFontStyle::Bold));
    font.setItalic(style & int(TFontStyle::Italic));
    font.setUnderline(style & int(TFontStyle::Underline));
    font.setStrikeOut(style & int(TFontStyle::StrikeOut));
    fontDialog->Font = font;
    fontDialog->Color = selFontColor;
    const QSignalBlocker quietSpinner(fontSizeSpin);
    fontSizeSpin->setValue(selFontSize);
    fontNameBox->setCurrentText(selFontName);
}

void FormatCommands::textBold()
{
    toggleStyle(commands.bold, int(TFontStyle::Bold));
}
void FormatCommands::textItalic()
{
    toggleStyle(commands.italic, int(TFontStyle::Italic));
}
void FormatCommands::textUnderline()
{
    toggleStyle(commands.underline, int(TFontStyle::Underline));
}

// Over a selection of mixed styles nothing changes; otherwise the one style
// flips and the others, uniform by then, are written back as they were.
void FormatCommands::toggleStyle(const QAction* item, int style)
{
    if (!styleConsistent)
        return;
    const TFontStyles current = editor.SelStyle();
    changeFormat(editor, [&] { editor.SetSelStyle(item->isChecked() ? current & ~style : current | style); });
    showSelectionFormat();
}

// An attribute the user changes goes over the whole selection; one left as
// shown keeps a mixture; a mixed style is never overwritten.
void FormatCommands::chooseFont()
{
    if (!fontDialog->Execute())
        return;
    const QFont& font = fontDialog->Font;
    changeFormat(editor, [&] {
        if (colorConsistent || fontDialog->Color != selFontColor)
            editor.SetSelColor(fontDialog->Color);
        if (faceConsistent || font.family() != selFontName)
            editor.SetSelFontName(font.family());
        const int points = font.pointSize();
        if (points > 0 && (sizeConsistent || points != selFontSize))
            editor.SetSelFontSize(points);
        if (styleConsistent)
            editor.SetSelStyle((font.bold() ? int(TFontStyle::Bold) : 0) | (font.italic() ? int(TFontStyle::Italic) : 0)
                               | (font.underline() ? int(TFontStyle::Underline) : 0)
                               | (font.strikeOut() ? int(TFontStyle::StrikeOut) : 0));
    });
    showSelectionFormat();
}

void FormatCommands::applyFontName(const QString& fontName)
{
    changeFormat(editor, [&] { editor.SetSelFontName(fontName); });
    showSelectionFormat();
}

void FormatCommands::applyFontSize()
{
    if (!sizeConsistent)
        return;
    changeFormat(editor, [&] { editor.SetSelFontSize(fontSizeSpin->value()); });
    showSelectionFormat();
}

void FormatCommands::applyColor()
{
    changeFormat(editor, [&] { editor.SetSelColor(colorGrid->ForegroundColor()); });
}
