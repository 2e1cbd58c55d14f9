// The main window's controls: menus, toolbar, format bar, status bar, layout.
#include "app/MainU.h"

#include "app/ToolIcons.h"

#include "toolkit/gui/ColorGrid.h"
#include "toolkit/gui/ErrorHandler.h"
#include "toolkit/gui/RichEdit.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMenuBar>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyle>
#include <QTimeEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// An item whose command arrives with a later piece of the program.
QAction* addPending(QMenu* menu, const QString& name, const QString& caption, const QKeySequence& shortcut = {})
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
    QAction* action = addPending(menu, name, caption, shortcut);
    QObject::connect(action, &QAction::triggered, context, Guard([handler](bool) { handler(); }));
    return action;
}

// A checked item whose handler decides the check mark itself: the automatic
// toggle of the click is undone before the handler runs.
template <class Handler>
QAction* addCheckItem(QMenu* menu, const QString& name, const QString& caption, const QKeySequence& shortcut,
                      QObject* context, Handler handler)
{
    QAction* action = addPending(menu, name, caption, shortcut);
    action->setCheckable(true);
    QObject::connect(action, &QAction::triggered, context, Guard([action, handler](bool checked) {
        action->setChecked(!checked);
        handler();
    }));
    return action;
}

QToolButton* toolButton(QWidget* bar, const QString& hint, const QIcon& icon, const QString& text = {})
{
    auto* button = new QToolButton(bar);
    button->setToolTip(hint);
    button->setAutoRaise(true);
    if (icon.isNull())
        button->setText(text);
    else
        button->setIcon(icon);
    bar->layout()->addWidget(button);
    return button;
}

} // namespace

void TForm1::buildMenus()
{
    const auto ctrl = [](char key) { return QKeySequence(Qt::CTRL | Qt::Key(key)); };

    File1 = menuBar()->addMenu(QStringLiteral("&File"));
    New1 = addItem(File1, "New1", "&New", ctrl('N'), this, [this] { New1Click(); });
    Open1 = addItem(File1, "Open1", "&Open", ctrl('O'), this, [this] { Open1Click(); });
    Save1 = addItem(File1, "Save1", "&Save", ctrl('S'), this, [this] { Save1Click(); });
    SaveAs1 = addItem(File1, "SaveAs1", "Save&As", ctrl('A'), this, [this] { SaveAs1Click(); });
    File1->addSeparator();
    SendEmail1 = addItem(File1, "SendEmail1", "Send &Email", ctrl('E'), this, [this] { SendEmail1Click(); });
    RetreiveEmail1 = addPending(File1, "RetreiveEmail1", "&Retrieve Email", ctrl('R'));
    File1->addSeparator();
    PageSetup1 = addPending(File1, "PageSetup1", "Pa&ge Setup", ctrl('G'));
    Print1 = addPending(File1, "Print1", "&Print", ctrl('P'));
    File1->addSeparator();
    N2 = addItem(File1, "N2", "E&xit", ctrl('Z'), this, [this] { N2Click(); });

    Edit1 = menuBar()->addMenu(QStringLiteral("&Edit"));
    Cut1 = addItem(Edit1, "Cut1", "&Cut", ctrl('X'), this, [this] { Cut1Click(); });
    Copy1 = addItem(Edit1, "Copy1", "Cop&y", ctrl('C'), this, [this] { Copy1Click(); });
    Paste1 = addItem(Edit1, "Paste1", "&Paste", ctrl('V'), this, [this] { Paste1Click(); });
    Undo1 = addPending(Edit1, "Undo1", "&Undo", ctrl('U'));
    Edit1->addSeparator();
    Find1 = addPending(Edit1, "Find1", "&Find");
    Replace1 = addPending(Edit1, "Replace1", "&Replace");

    TextAttributes1 = menuBar()->addMenu(QStringLiteral("&Text Attributes"));
    Font1 = addPending(TextAttributes1, "Font1", "&Font", ctrl('F'));
    TextAttributes1->addSeparator();
    Bold1 = addPending(TextAttributes1, "Bold1", "&Bold", ctrl('B'));
    Italicize1 = addPending(TextAttributes1, "Italicize1", "&Italicize", ctrl('I'));
    Underline1 = addPending(TextAttributes1, "Underline1", "Under&line", ctrl('L'));
    TextAttributes1->addSeparator();
    PlainText1 = addCheckItem(TextAttributes1, "PlainText1", "&Plain Text Only", {}, this, [this] { PlainText1Click(); });

    Options1 = menuBar()->addMenu(QStringLiteral("&Options"));
    DefaultSize1 = addPending(Options1, "DefaultSize1", "&Default Editor Width");
    DefaultOnly1 = addPending(Options1, "DefaultOnly1", "Default Width &Only");
    DefaultOnly1->setCheckable(true);
    UsePageSetupWidth1 = addPending(Options1, "UsePageSetupWidth1", "Use &Page Setup Width");
    UsePageSetupWidth1->setCheckable(true);
    MaxSize10Meg1 = addItem(Options1, "MaxSize10Meg1", "Max Size - 1 Meg", {}, this, [this] { MaxSize10Meg1Click(); });
    Options1->addSeparator();
    WordWrap1 = addPending(Options1, "WordWrap1", "&Word Wrap", ctrl('W'));
    WordWrap1->setCheckable(true);
    Options1->addSeparator();
    StayOnTop1 = addCheckItem(Options1, "StayOnTop1", "Stay On &Top", ctrl('T'), this, [this] { StayOnTop1Click(); });
    ShortDateFormat1 = addPending(Options1, "ShortDateFormat1", "Short Date &Format");
    StartClock1 = addPending(Options1, "StartClock1", "Start &Clock");
    StartTimer1 = addPending(Options1, "StartTimer1", "Start Ti&mer");
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
    PopupMenu1->addAction(QStringLiteral("Cut"));
    PopupMenu1->addAction(QStringLiteral("Copy"));
    PopupMenu1->addAction(QStringLiteral("Paste"));
    PopupMenu1->addAction(QStringLiteral("Undo"));
    PopupMenu1->addSeparator();
    PopupBold1 = PopupMenu1->addAction(QStringLiteral("Bold"));
    PopupUnderline1 = PopupMenu1->addAction(QStringLiteral("Underline"));
    PopupItalicize1 = PopupMenu1->addAction(QStringLiteral("Italicize"));
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(QStringLiteral("Page Setup Width"))->setCheckable(true);
    PopupMenu1->addAction(QStringLiteral("Default Width"));

    richOnlyActions = {Font1, Bold1, Italicize1, Underline1, PopupBold1, PopupItalicize1, PopupUnderline1};
}

void TForm1::buildToolbar()
{
    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    auto* row = new QHBoxLayout(Panel1);
    row->setContentsMargins(2, 0, 2, 0);
    row->setSpacing(0);
    QStyle* s = style();
    const auto bind = [this](QToolButton* button, QAction* action) {
        connect(button, &QToolButton::clicked, action, &QAction::trigger);
    };
    bind(toolButton(Panel1, "Begin a new document", s->standardIcon(QStyle::SP_FileIcon)), New1);
    bind(toolButton(Panel1, "Open an existing document file", s->standardIcon(QStyle::SP_DialogOpenButton)), Open1);
    bind(toolButton(Panel1, "Save the current document to disk", s->standardIcon(QStyle::SP_DialogSaveButton)), Save1);
    bind(toolButton(Panel1, "Send Email", toolIcon(ToolIcon::SendMail)), SendEmail1);
    bind(toolButton(Panel1, "Retrieve Email ", toolIcon(ToolIcon::RetrieveMail)), RetreiveEmail1);
    bind(toolButton(Panel1, "Print the current document", toolIcon(ToolIcon::Print)), Print1);
    bind(toolButton(Panel1, "Page Setup", s->standardIcon(QStyle::SP_FileDialogDetailedView)), PageSetup1);
    bind(toolButton(Panel1, "Cut selected text to the clipboard", toolIcon(ToolIcon::Cut)), Cut1);
    bind(toolButton(Panel1, "Copy selected text to the clipboard", toolIcon(ToolIcon::Copy)), Copy1);
    bind(toolButton(Panel1, "Paste from the clipboard into the current document", toolIcon(ToolIcon::Paste)), Paste1);
    bind(toolButton(Panel1, "Undo", s->standardIcon(QStyle::SP_ArrowBack)), Undo1);
    bind(toolButton(Panel1, "Search for text", s->standardIcon(QStyle::SP_FileDialogContentsView)), Find1);
    bind(toolButton(Panel1, "Search and replace text", s->standardIcon(QStyle::SP_BrowserReload)), Replace1);
    bind(toolButton(Panel1, "Settings", s->standardIcon(QStyle::SP_ComputerIcon)), Settings1);
    DateTimePicker1 = new QDateEdit(Panel1);
    DateTimePicker1->setObjectName(QStringLiteral("DateTimePicker1"));
    DateTimePicker1->setDisplayFormat(QLocale().dateFormat(QLocale::LongFormat));
    DateTimePicker1->setCalendarPopup(true);
    DateTimePicker1->setFixedWidth(230);
    DateTimePicker1->setToolTip(QStringLiteral("Double click to insert date into document"));
    row->addSpacing(4);
    row->addWidget(DateTimePicker1);
    row->addStretch(1);
    auto* exitButton = toolButton(Panel1, "Exit Penvale", s->standardIcon(QStyle::SP_DialogCloseButton));
    connect(exitButton, &QToolButton::clicked, this, Guard([this](bool) { SpeedButton15Click(); }));
}

void TForm1::buildFormatBar()
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
    QStringList families = QFontDatabase::families();
    families.sort(Qt::CaseInsensitive);
    FontName->addItems(families);
    FontName->setMaxVisibleItems(24);
    FontName->setFixedWidth(150);
    FontName->setToolTip(QStringLiteral("Choose font typeface form list"));
    row->addWidget(FontName);
    SpinEdit1 = new QSpinBox(Panel2);
    SpinEdit1->setObjectName(QStringLiteral("SpinEdit1"));
    SpinEdit1->setRange(8, 72);
    SpinEdit1->setToolTip(QStringLiteral("Set font size"));
    row->addWidget(SpinEdit1);
    ColorGrid1 = new TColorGrid(Panel2);
    ColorGrid1->setObjectName(QStringLiteral("ColorGrid1"));
    ColorGrid1->setToolTip(QStringLiteral("Click to Choose Font Color"));
    row->addWidget(ColorGrid1);
    for (const char* caption : {"B", "I", "U"}) {
        auto* button = toolButton(Panel2, QString(), {}, QString::fromLatin1(caption));
        QFont font = button->font();
        font.setBold(caption[0] == 'B');
        font.setItalic(caption[0] == 'I');
        font.setUnderline(caption[0] == 'U');
        button->setFont(font);
        FormatButtons << button;
    }
    connect(FormatButtons[0], &QToolButton::clicked, Bold1, &QAction::trigger);
    connect(FormatButtons[1], &QToolButton::clicked, Italicize1, &QAction::trigger);
    connect(FormatButtons[2], &QToolButton::clicked, Underline1, &QAction::trigger);
    row->addStretch(1);
    DateTimePicker2 = new QTimeEdit(Panel2);
    DateTimePicker2->setObjectName(QStringLiteral("DateTimePicker2"));
    row->addWidget(DateTimePicker2);
    toolButton(Panel2, "Reset time and date to current", style()->standardIcon(QStyle::SP_BrowserReload));
}

void TForm1::buildStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    // Design widths in StatusPanel order; the last panel takes what is left.
    for (int width : {156, 32, 72, 260, 50}) {
        auto* panel = new QLabel(bar);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setMinimumWidth(width);
        panel->installEventFilter(this);
        const bool last = statusPanels.size() == int(StatusPanel::State);
        bar->addWidget(panel, last ? 1 : 0);
        statusPanels << panel;
    }
    bar->installEventFilter(this);
}

void TForm1::buildLayout()
{
    buildComposePanel();

    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->OnChange = Guard([this] { RichEdit1Change(); });
    RichEdit1->OnSelectionChange = Guard([this] { RichEdit1SelectionChange(); });
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
}
