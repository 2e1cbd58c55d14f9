// The main window's controls: menus, toolbar, format bar, status bar, layout.
#include "app/MainWindow.h"

#include "app/ToolIcons.h"

#include "toolkit/gui/ColorGrid.h"
#include "toolkit/gui/ErrorHandler.h"
#include "toolkit/gui/RichEdit.h"

#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QComboBox>
#include <QDateEdit>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QPainter>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyle>
#include <QTimeEdit>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>

namespace {

QAction* newItem(QMenu* menu, const QString& name, const QString& caption, const QKeySequence& shortcut = {})
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    action->setShortcut(shortcut);
    return action;
}

// A menu item whose command runs through the error box.
template <class Handler>
QAction* addItem(QMenu* menu, const QString& name, const QString& caption, const QKeySequence& shortcut,
                 QObject* context, Handler handler)
{
    QAction* action = newItem(menu, name, caption, shortcut);
    QObject::connect(action, &QAction::triggered, context, Guard([handler](bool) { handler(); }));
    return action;
}

// A checked item whose handler decides the check mark itself: the automatic
// toggle of the click is undone before the handler runs.
template <class Handler>
QAction* addCheckItem(QMenu* menu, const QString& name, const QString& caption, const QKeySequence& shortcut,
                      QObject* context, Handler handler)
{
    QAction* action = newItem(menu, name, caption, shortcut);
    action->setCheckable(true);
    QObject::connect(action, &QAction::triggered, context, Guard([action, handler](bool checked) {
        action->setChecked(!checked);
        handler();
    }));
    return action;
}

QToolButton* toolButton(QWidget* bar, const QString& hint, const QIcon& icon)
{
    auto* button = new QToolButton(bar);
    button->setToolTip(hint);
    button->setAccessibleName(hint);
    button->setAutoRaise(true);
    button->setIcon(icon);
    bar->layout()->addWidget(button);
    return button;
}

// A button that runs action, greyed while the action is.
QToolButton* commandButton(QWidget* bar, QAction* action, const QString& hint, const QIcon& icon)
{
    auto* button = toolButton(bar, hint, icon);
    QObject::connect(button, &QToolButton::clicked, action, &QAction::trigger);
    button->setEnabled(action->isEnabled());
    QObject::connect(action, &QAction::enabledChanged, button, &QWidget::setEnabled);
    return button;
}

void addSeparator(QWidget* bar)
{
    auto* line = new QFrame(bar);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setContentsMargins(3, 4, 3, 4);
    bar->layout()->addWidget(line);
}

// Screen readers read a spin box or an editable list through its text field too.
void nameControl(QWidget* control, const QString& name)
{
    control->setAccessibleName(name);
    if (auto* field = control->findChild<QLineEdit*>())
        field->setAccessibleName(name);
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

// A status panel of fixed width: text too long for it ends in an ellipsis and
// shows whole as the panel's tooltip, so it never pushes the others aside.
class StatusPanelLabel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QFrame::paintEvent(event);
        QPainter painter(this);
        painter.drawText(room(), Qt::AlignLeft | Qt::AlignVCenter, shown());
    }

    bool event(QEvent* event) override
    {
        if (event->type() != QEvent::ToolTip || shown() == text())
            return QLabel::event(event);
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text(), this);
        return true;
    }

private:
    QRect room() const { return contentsRect().adjusted(3, 0, -3, 0); }
    QString shown() const { return fontMetrics().elidedText(text(), Qt::ElideRight, room().width()); }
};

} // namespace

void MainWindow::buildMenus()
{
    const auto ctrl = [](char key) { return QKeySequence(Qt::CTRL | Qt::Key(key)); };

    File1 = menuBar()->addMenu(QStringLiteral("&File"));
    New1 = addItem(File1, "New1", "&New", ctrl('N'), this, [this] { New1Click(); });
    Open1 = addItem(File1, "Open1", "&Open", ctrl('O'), this, [this] { Open1Click(); });
    Save1 = addItem(File1, "Save1", "&Save", ctrl('S'), this, [this] { Save1Click(); });
    SaveAs1 = addItem(File1, "SaveAs1", "Save&As", ctrl('A'), this, [this] { SaveAs1Click(); });
    File1->addSeparator();
    SendEmail1 = addItem(File1, "SendEmail1", "Send &Email", ctrl('E'), this, [this] { SendEmail1Click(); });
    RetreiveEmail1 = addItem(File1, "RetreiveEmail1", "&Retrieve Email", ctrl('R'), this, [this] { RetreiveEmail1Click(); });
    File1->addSeparator();
    PageSetup1 = addItem(File1, "PageSetup1", "Pa&ge Setup", ctrl('G'), this, [this] { PageSetup1Click(); });
    Print1 = addItem(File1, "Print1", "&Print", ctrl('P'), this, [this] { Print1Click(); });
    File1->addSeparator();
    N2 = addItem(File1, "N2", "E&xit", ctrl('Z'), this, [this] { N2Click(); });

    Edit1 = menuBar()->addMenu(QStringLiteral("&Edit"));
    Cut1 = addItem(Edit1, "Cut1", "&Cut", ctrl('X'), this, [this] { Cut1Click(); });
    Copy1 = addItem(Edit1, "Copy1", "Cop&y", ctrl('C'), this, [this] { Copy1Click(); });
    Paste1 = addItem(Edit1, "Paste1", "&Paste", ctrl('V'), this, [this] { Paste1Click(); });
    Undo1 = addItem(Edit1, "Undo1", "&Undo", ctrl('U'), this, [this] { Undo1Click(); });
    Redo1 = addItem(Edit1, "Redo1", "&Redo", {}, this, [this] { Redo1Click(); });
    Redo1->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), ctrl('Y')});
    Edit1->addSeparator();
    Find1 = addItem(Edit1, "Find1", "&Find", {}, this, [this] { Find1Click(); });
    Replace1 = addItem(Edit1, "Replace1", "&Replace", {}, this, [this] { Replace1Click(); });

    TextAttributes1 = menuBar()->addMenu(QStringLiteral("&Text Attributes"));
    Font1 = addItem(TextAttributes1, "Font1", "&Font", ctrl('F'), this, [this] { Font1Click(); });
    TextAttributes1->addSeparator();
    Bold1 = addCheckItem(TextAttributes1, "Bold1", "&Bold", ctrl('B'), this, [this] { Bold1Click(); });
    Italicize1 = addCheckItem(TextAttributes1, "Italicize1", "&Italicize", ctrl('I'), this, [this] { Italicize1Click(); });
    Underline1 = addCheckItem(TextAttributes1, "Underline1", "Under&line", ctrl('L'), this, [this] { Underline1Click(); });
    TextAttributes1->addSeparator();
    PlainText1 = addCheckItem(TextAttributes1, "PlainText1", "&Plain Text Only", {}, this, [this] { PlainText1Click(); });

    Options1 = menuBar()->addMenu(QStringLiteral("&Options"));
    DefaultSize1 = addItem(Options1, "DefaultSize1", "&Default Editor Width", {}, this, [this] { DefaultSize1Click(); });
    DefaultOnly1 = addCheckItem(Options1, "DefaultOnly1", "Default Width &Only", {}, this, [this] { DefaultOnly1Click(); });
    UsePageSetupWidth1 = addCheckItem(Options1, "UsePageSetupWidth1", "Use &Page Setup Width", {}, this,
                                      [this] { UsePageSetupWidth1Click(); });
    MaxSize10Meg1 = addItem(Options1, "MaxSize10Meg1", "Max Size - 1 Meg", {}, this, [this] { MaxSize10Meg1Click(); });
    Options1->addSeparator();
    WordWrap1 = addCheckItem(Options1, "WordWrap1", "&Word Wrap", ctrl('W'), this, [this] { WordWrap1Click(); });
    Options1->addSeparator();
    StayOnTop1 = addCheckItem(Options1, "StayOnTop1", "Stay On &Top", ctrl('T'), this, [this] { StayOnTop1Click(); });
    ShortDateFormat1 = addCheckItem(Options1, "ShortDateFormat1", "Short Date &Format", {}, this,
                                    [this] { ShortDateFormat1Click(); });
    StartClock1 = addItem(Options1, "StartClock1", "Start &Clock", {}, this, [this] { StartClock1Click(); });
    StartTimer1 = addItem(Options1, "StartTimer1", "Start Ti&mer", {}, this, [this] { StartTimer1Click(); });
    Options1->addSeparator();
    Settings1 = addItem(Options1, "Settings1", "&Settings", {}, this, [this] { Settings1Click(); });

    Help1 = menuBar()->addMenu(QStringLiteral("&Help"));
    Contents1 = addItem(Help1, "Contents1", "&Contents", {}, this, [this] { Contents1Click(); });
    Help1->addSeparator();
    About1 = addItem(Help1, "About1", "About", {}, this, [this] { About1Click(); });
    auto* helpKey = new QAction(this);
    helpKey->setShortcut(Qt::Key_F1);
    connect(helpKey, &QAction::triggered, this, [this] { Help1->popup(mapToGlobal(QPoint(0, 0))); });
    addAction(helpKey);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    const auto addPopup = [this](const char* caption, QAction* item) {
        QAction* action = PopupMenu1->addAction(QString::fromLatin1(caption));
        connect(action, &QAction::triggered, item, &QAction::trigger);
        return action;
    };
    PopupCut1 = addPopup("Cut", Cut1);
    PopupCopy1 = addPopup("Copy", Copy1);
    addPopup("Paste", Paste1);
    addPopup("Undo", Undo1);
    PopupMenu1->addSeparator();
    PopupBold1 = addPopup("Bold", Bold1);
    PopupUnderline1 = addPopup("Underline", Underline1);
    PopupItalicize1 = addPopup("Italicize", Italicize1);
    PopupMenu1->addSeparator();
    PageSetupWidth1 = addCheckItem(PopupMenu1, "PageSetupWidth1", "Page Setup Width", {}, this,
                                   [this] { UsePageSetupWidth1Click(); });
    connect(UsePageSetupWidth1, &QAction::enabledChanged, PageSetupWidth1, &QAction::setEnabled);
    DefaultWidth1 = addItem(PopupMenu1, "DefaultWidth1", "Default Width", {}, this, [this] { DefaultSize1Click(); });

    richOnlyActions = {Font1, Bold1, Italicize1, Underline1, PopupBold1, PopupItalicize1, PopupUnderline1};
}

void MainWindow::buildToolbar()
{
    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    auto* row = new QHBoxLayout(Panel1);
    row->setContentsMargins(2, 0, 2, 0);
    row->setSpacing(0);
    QStyle* s = style();
    const auto themed = [s](const char* name, QStyle::StandardPixmap fallback) {
        return themedIcon(name, s->standardIcon(fallback));
    };
    const auto drawn = [](const char* name, ToolIcon fallback) { return themedIcon(name, toolIcon(fallback)); };
    commandButton(Panel1, New1, "Begin a new document", themed("document-new", QStyle::SP_FileIcon));
    commandButton(Panel1, Open1, "Open an existing document file",
                  themed("document-open", QStyle::SP_DialogOpenButton));
    commandButton(Panel1, Save1, "Save the current document to disk",
                  themed("document-save", QStyle::SP_DialogSaveButton));
    addSeparator(Panel1);
    commandButton(Panel1, SendEmail1, "Send Email", drawn("mail-send", ToolIcon::SendMail));
    commandButton(Panel1, RetreiveEmail1, "Retrieve Email ", drawn("mail-receive", ToolIcon::RetrieveMail));
    addSeparator(Panel1);
    commandButton(Panel1, Print1, "Print the current document", drawn("document-print", ToolIcon::Print));
    commandButton(Panel1, PageSetup1, "Page Setup",
                  themed("document-page-setup", QStyle::SP_FileDialogDetailedView));
    addSeparator(Panel1);
    commandButton(Panel1, Cut1, "Cut selected text to the clipboard", drawn("edit-cut", ToolIcon::Cut));
    commandButton(Panel1, Copy1, "Copy selected text to the clipboard", drawn("edit-copy", ToolIcon::Copy));
    commandButton(Panel1, Paste1, "Paste from the clipboard into the current document",
                  drawn("edit-paste", ToolIcon::Paste));
    commandButton(Panel1, Undo1, "Undo", themed("edit-undo", QStyle::SP_ArrowBack));
    addSeparator(Panel1);
    commandButton(Panel1, Find1, "Search for text", themed("edit-find", QStyle::SP_FileDialogContentsView));
    commandButton(Panel1, Replace1, "Search and replace text",
                  themed("edit-find-replace", QStyle::SP_BrowserReload));
    addSeparator(Panel1);
    commandButton(Panel1, Settings1, "Settings", themed("preferences-system", QStyle::SP_ComputerIcon));
    DateTimePicker1 = new QDateEdit(Panel1);
    DateTimePicker1->setObjectName(QStringLiteral("DateTimePicker1"));
    DateTimePicker1->setDisplayFormat(QLocale().dateFormat(QLocale::LongFormat));
    DateTimePicker1->setCalendarPopup(true);
    DateTimePicker1->setFixedWidth(230);
    DateTimePicker1->setToolTip(QStringLiteral("Double click to insert date into document"));
    nameControl(DateTimePicker1, DateTimePicker1->toolTip());
    row->addSpacing(6);
    row->addWidget(DateTimePicker1);
    row->addStretch(1);
    auto* exitButton = toolButton(Panel1, "Exit Penvale", drawn("application-exit", ToolIcon::Exit));
    connect(exitButton, &QToolButton::clicked, this, Guard([this](bool) { SpeedButton15Click(); }));
}

void MainWindow::buildFormatBar()
{
    Panel2 = new QWidget(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    auto* row = new QHBoxLayout(Panel2);
    row->setContentsMargins(2, 0, 2, 0);
    row->setSpacing(4);
    FontName = new QComboBox(Panel2);
    FontName->setObjectName(QStringLiteral("FontName"));
    FontName->setEditable(true);
    FontName->setInsertPolicy(QComboBox::NoInsert);
    FontName->addItems(fontFamilies());
    FontName->setMaxVisibleItems(24);
    // Room for a long family name in the field, and for the longest in the list.
    FontName->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    FontName->setMinimumContentsLength(22);
    FontName->view()->setMinimumWidth(FontName->view()->sizeHintForColumn(0) + 24);
    FontName->setToolTip(QStringLiteral("Choose font typeface form list"));
    nameControl(FontName, FontName->toolTip());
    row->addWidget(FontName);
    SpinEdit1 = new QSpinBox(Panel2);
    SpinEdit1->setObjectName(QStringLiteral("SpinEdit1"));
    SpinEdit1->setRange(8, 72);
    SpinEdit1->setToolTip(QStringLiteral("Set font size"));
    nameControl(SpinEdit1, SpinEdit1->toolTip());
    row->addWidget(SpinEdit1);
    ColorGrid1 = new TColorGrid(Panel2);
    ColorGrid1->setObjectName(QStringLiteral("ColorGrid1"));
    ColorGrid1->setToolTip(QStringLiteral("Click to Choose Font Color"));
    ColorGrid1->setAccessibleName(ColorGrid1->toolTip());
    row->addWidget(ColorGrid1);
    // Their letters are drawn in the style while the selection has it.
    const auto styleButton = [this](QAction* action, const char* caption, const char* hint) {
        QToolButton* button = commandButton(Panel2, action, QString::fromLatin1(hint), QIcon());
        button->setText(QString::fromLatin1(caption));
        button->setAccessibleName(QString(action->text()).remove(QLatin1Char('&')));
        return button;
    };
    BoldButton = styleButton(Bold1, "B", "Bold selected text");
    ItalicButton = styleButton(Italicize1, "I", "Italicize selected text");
    UnderlineButton = styleButton(Underline1, "U", "Underline selected text");
    row->addStretch(1);
    DateTimePicker2 = new QTimeEdit(Panel2);
    DateTimePicker2->setObjectName(QStringLiteral("DateTimePicker2"));
    nameControl(DateTimePicker2, QStringLiteral("Time"));
    row->addWidget(DateTimePicker2);
    SpeedButton14 = toolButton(Panel2, "Reset time and date to current",
                               themedIcon("view-refresh", style()->standardIcon(QStyle::SP_BrowserReload)));
    SpeedButton14->setObjectName(QStringLiteral("SpeedButton14"));
    connect(SpeedButton14, &QToolButton::clicked, this, Guard([this](bool) { SpeedButton14Click(); }));
}

void MainWindow::buildStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    // Design widths in StatusPanel order; the last panel takes what is left,
    // and never less than its longest usual word.
    for (int width : {156, 32, 72, 260, 50}) {
        auto* panel = new StatusPanelLabel(bar);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->installEventFilter(this);
        const bool last = statusPanels.size() == int(StatusPanel::State);
        if (last)
            panel->setMinimumWidth(std::max(width, panel->fontMetrics().horizontalAdvance(QStringLiteral("Unmodified")) + 12));
        else
            panel->setFixedWidth(width);
        bar->addWidget(panel, last ? 1 : 0);
        statusPanels << panel;
    }
    bar->installEventFilter(this);
}

void MainWindow::buildLayout()
{
    buildComposePanel();

    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->OnChange = Guard([this] { RichEdit1Change(); });
    RichEdit1->OnSelectionChange = Guard([this] { RichEdit1SelectionChange(); });
    RichEdit1->OnMaxLengthRefused = Guard([this] { RichEdit1MaxLengthRefused(); });
    RichEdit1->view()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(RichEdit1->view(), &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->popup(RichEdit1->view()->mapToGlobal(at)); });

    auto* client = new QWidget(this);
    auto* column = new QVBoxLayout(client);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    Panel1->setFixedHeight(26);
    Panel2->setFixedHeight(28);
    Panel3->setFixedHeight(57);
    column->addWidget(Panel1);
    column->addWidget(Panel2);
    column->addWidget(Panel3);
    column->addWidget(RichEdit1, 1);
    setCentralWidget(client);
    for (QAbstractScrollArea* view : RichEdit1->findChildren<QAbstractScrollArea*>())
        view->setAccessibleName(QStringLiteral("Document"));
    setWindowIcon(QIcon(programPicture(64)));
}
