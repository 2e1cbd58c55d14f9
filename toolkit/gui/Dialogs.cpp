#include "toolkit/gui/Dialogs.h"

#include "toolkit/gui/ColorGrid.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
TCommonDialog::Answerer& answerer()
{
    static TCommonDialog::Answerer instance;
    return instance;
}
} // namespace

bool TCommonDialog::Execute()
{
    return answerer() ? answerer()(*this) : run();
}

void TCommonDialog::SetAnswerer(Answerer a)
{
    answerer() = std::move(a);
}

QWidget* TCommonDialog::parentWindow() const
{
    if (QWidget* active = QApplication::activeWindow())
        return active;
    return qobject_cast<QWidget*>(parent());
}

QStringList QtNameFilters(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        QString masks = i + 1 < parts.size() ? parts[i + 1] : QStringLiteral("*");
        masks.replace(QLatin1Char(';'), QLatin1Char(' '));
        masks.replace(QStringLiteral("*.*"), QStringLiteral("*"));
        filters << QStringLiteral("%1 (%2)").arg(parts[i], masks);
    }
    return filters;
}

void SetNameFilters(QFileDialog& dialog, const QString& filter, int index)
{
    // The dialog shows each description as written; the masks it filters by
    // stay behind it, so "Rich Text(*.rtf)" is not followed by "(*.rtf)" again.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    const QStringList filters = QtNameFilters(filter);
    dialog.setNameFilters(filters);
    if (index >= 1 && index <= filters.size())
        dialog.selectNameFilter(filters[index - 1]);
}

int SelectedFilterIndex(const QFileDialog& dialog, const QString& filter)
{
    // Dialogs hand the choice back with its masks or, hiding them, without.
    const QString selected = dialog.selectedNameFilter();
    const QStringList filters = QtNameFilters(filter);
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i < filters.size(); ++i)
        if (filters[i] == selected || parts[2 * i] == selected)
            return int(i) + 1;
    return 0;
}

bool TOpenDialog::run()
{
    QFileDialog dialog(parentWindow(), Title, InitialDir);
    SetNameFilters(dialog, Filter, FilterIndex);
    dialog.setAcceptMode(saving() ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (saving())
        dialog.setFileMode(QFileDialog::AnyFile);
    else
        dialog.setFileMode(Options & ofAllowMultiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !(Options & ofOverwritePrompt));
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (!FileName.isEmpty())
        dialog.selectFile(FileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    Files = dialog.selectedFiles();
    FileName = Files.first();
    FilterIndex = SelectedFilterIndex(dialog, Filter);
    return true;
}

// The font chooser with a colour list of the grid's colours below it: the
// colour belongs to the font here as it does in the document.
bool TFontDialog::run()
{
    QDialog dialog(parentWindow());
    dialog.setWindowTitle(QStringLiteral("Font"));
    auto* fonts = new QFontDialog(Font, &dialog);
    fonts->setWindowFlags(Qt::Widget);
    fonts->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    fonts->setSizeGripEnabled(false);
    // A family that is not installed is shown as the one standing in for it;
    // left so, it stays the family it was.
    const QString shownFamily = fonts->currentFont().family();
    auto* colors = new QComboBox(&dialog);
    colors->setAccessibleName(QStringLiteral("Colour"));
    const QList<QColor>& palette = TColorGrid::Palette();
    for (int i = 0; i < palette.size(); ++i) {
        QPixmap swatch(16, 16);
        swatch.fill(palette[i]);
        colors->addItem(QIcon(swatch), TColorGrid::ColorName(i), palette[i]);
    }
    if (!palette.contains(Color))
        colors->addItem(Color.name(), Color);
    colors->setCurrentIndex(colors->findData(Color));
    auto* colorRow = new QHBoxLayout;
    auto* colorLabel = new QLabel(QStringLiteral("&Colour:"));
    colorLabel->setBuddy(colors);
    colorRow->addWidget(colorLabel);
    colorRow->addWidget(colors, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* column = new QVBoxLayout(&dialog);
    column->addWidget(fonts);
    column->addLayout(colorRow);
    column->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QString family = Font.family();
    Font = fonts->currentFont();
    if (Font.family() == shownFamily)
        Font.setFamily(family);
    Color = colors->currentData().value<QColor>();
    return true;
}

bool TPrintDialog::run()
{
    QPrintDialog dialog(Printer, parentWindow());
    return dialog.exec() == QDialog::Accepted;
}

// The window behind the find and replace components: it writes the user's
// entries back into the component before firing its events.
class FindReplaceWindow : public QDialog {
public:
    FindReplaceWindow(TFindDialog* find, TReplaceDialog* replace, QWidget* parent)
        : QDialog(parent), find(find), replace(replace)
    {
        setWindowTitle(replace ? QStringLiteral("Replace") : QStringLiteral("Find"));
        auto* grid = new QGridLayout(this);
        grid->addWidget(new QLabel(QStringLiteral("Fi&nd what:")), 0, 0);
        findEdit = new QLineEdit(find->FindText);
        grid->addWidget(findEdit, 0, 1);
        if (replace) {
            grid->addWidget(new QLabel(QStringLiteral("Re&place with:")), 1, 0);
            replaceEdit = new QLineEdit(replace->ReplaceText);
            grid->addWidget(replaceEdit, 1, 1);
        }
        matchCase = new QCheckBox(QStringLiteral("Match &case"));
        matchCase->setChecked(find->Options & TFindDialog::frMatchCase);
        wholeWord = new QCheckBox(QStringLiteral("Match &whole word only"));
        wholeWord->setChecked(find->Options & TFindDialog::frWholeWord);
        grid->addWidget(wholeWord, 2, 0, 1, 2);
        grid->addWidget(matchCase, 3, 0, 1, 2);
        addButton(grid, 0, QStringLiteral("&Find Next"), [this] { fire(0); });
        if (replace) {
            addButton(grid, 1, QStringLiteral("&Replace"), [this] { fire(TFindDialog::frReplace); });
            addButton(grid, 2, QStringLiteral("Replace &All"), [this] { fire(TFindDialog::frReplaceAll); });
        }
        addButton(grid, 3, QStringLiteral("Cancel"), [this] { close(); });
    }

private:
    template <class F>
    void addButton(QGridLayout* grid, int row, const QString& caption, F onClick)
    {
        auto* button = new QPushButton(caption);
        connect(button, &QPushButton::clicked, this, onClick);
        grid->addWidget(button, row, 2);
    }

    void fire(int action)
    {
        find->FindText = findEdit->text();
        find->Options = TFindDialog::frDown | action | (matchCase->isChecked() ? TFindDialog::frMatchCase : 0)
                      | (wholeWord->isChecked() ? TFindDialog::frWholeWord : 0);
        if (replace)
            replace->ReplaceText = replaceEdit->text();
        const auto& handler = action ? replace->OnReplace : find->OnFind;
        if (handler)
            handler();
    }

    TFindDialog* find;
    TReplaceDialog* replace;
    QLineEdit* findEdit;
    QLineEdit* replaceEdit = nullptr;
    QCheckBox* matchCase;
    QCheckBox* wholeWord;
};

TFindDialog::~TFindDialog()
{
    delete window;
}

bool TFindDialog::run()
{
    if (!window)
        window = new FindReplaceWindow(this, qobject_cast<TReplaceDialog*>(this), parentWindow());
    window->show();
    window->raise();
    window->activateWindow();
    return true;
}

void TFindDialog::CloseDialog()
{
    if (window)
        window->close();
}
