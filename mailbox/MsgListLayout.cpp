// The mailbox window's controls: main menu, tool bar, context menu, status
// bar and list view.
#include "mailbox/MsgList.h"

#include "toolkit/gui/ErrorHandler.h"

#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QTreeWidget>

// A command runs through the error box and waits while a retrieval or a
// listing is under way; only closing is taken at any time.
template <class Handler>
QAction* TForm3::command(const char* name, const QString& caption, const QString& hint, Handler handler)
{
    auto* action = new QAction(caption, this);
    action->setObjectName(QString::fromLatin1(name));
    action->setStatusTip(hint);
    connect(action, &QAction::triggered, this, Guard([this, handler](bool) {
        if (!busy)
            (this->*handler)();
    }));
    return action;
}

void TForm3::buildMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    Close1 = command("Close1", QStringLiteral("&Close"), QStringLiteral("Close this window"), &TForm3::Close1Click);
    file->addAction(Close1);

    QMenu* messages = menuBar()->addMenu(QStringLiteral("&Messages"));
    Retreive1 = command("Retreive1", QStringLiteral("&Retrieve From Server"),
                        QStringLiteral("Retrieve email from the POP3 server named in Options/Settings"),
                        &TForm3::Retreive1Click);
    Save1 = command("Save1", QStringLiteral("&Save Selected Message"),
                    QStringLiteral("Save selected email message to default email directory"), &TForm3::Save1Click);
    ViewSavedMail1 = command("ViewSavedMail1", QStringLiteral("Retrieve Saved &Mail"),
                             QStringLiteral("Retrieve email messages saved in the current Email Directory "),
                             &TForm3::ViewSavedMail1Click);
    RetrieveCopiestoSelf1 = command("RetrieveCopiestoSelf1", QStringLiteral("Retrieve &Copies to Self"),
                                    QStringLiteral("Retrieve and view copies to self of email sent"),
                                    &TForm3::RetrieveCopiestoSelf1Click);
    View1 = command("View1", QStringLiteral("&View Selected Message"),
                    QStringLiteral("View selected message in document window"), &TForm3::View1Click);
    Reply1 = command("Reply1", QStringLiteral("Re&ply to Selected Message"),
                     QStringLiteral("Compose a reply to the currently selected message"), &TForm3::Reply1Click);
    Forward1 = command("Forward1", QStringLiteral("&Forward Selected Message"),
                       QStringLiteral("Forward the currently selected message to another email address"),
                       &TForm3::Forward1Click);
    DeleteSelectedMessage1 = command("DeleteSelectedMessage1", QStringLiteral("&Delete Selected Message"), {},
                                     &TForm3::DeleteSelectedMessage1Click);
    ViewSelectedMessage1 = command("ViewSelectedMessage1", QStringLiteral("View with Full &Header"),
                                   QStringLiteral("View the selected saved email message in the document window"),
                                   &TForm3::ViewSelectedMessage1Click);
    ExecuteAttachment1 = command("ExecuteAttachment1", QStringLiteral("E&xecute Attachment"),
                                 QStringLiteral("Execute attachment to selected email message with associated application"),
                                 &TForm3::ExecuteAttachment1Click);
    messages->addActions({Retreive1, Save1, ViewSavedMail1, RetrieveCopiestoSelf1});
    messages->addSeparator();
    messages->addActions({View1, Reply1, Forward1, DeleteSelectedMessage1});
    messages->addSeparator();
    messages->addAction(ViewSelectedMessage1);
    messages->addSeparator();
    messages->addAction(ExecuteAttachment1);
}

void TForm3::buildToolBar()
{
    ToolBar1 = addToolBar(QStringLiteral("ToolBar1"));
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setIconSize(QSize(16, 16));
    const auto button = [this](const char* name, const QString& hint, QStyle::StandardPixmap icon, auto handler) {
        QAction* action = command(name, {}, hint, handler);
        action->setIcon(style()->standardIcon(icon));
        action->setToolTip(hint);
        ToolBar1->addAction(action);
        return action;
    };
    DownloadButton = button("DownloadButton", QStringLiteral("Download email from your server"),
                            QStyle::SP_ArrowDown, &TForm3::Retreive1Click);
    SaveButton = button("SaveButton", QStringLiteral("Save selected message"), QStyle::SP_DialogSaveButton,
                        &TForm3::Save1Click);
    SavedMailButton = button("SavedMailButton", QStringLiteral("Retrieve saved email "), QStyle::SP_DirOpenIcon,
                             &TForm3::ViewSavedMail1Click);
    CopiesButton = button("CopiesButton", QStringLiteral("Retrieve copies to self"), QStyle::SP_DirHomeIcon,
                          &TForm3::RetrieveCopiestoSelf1Click);
    ToolBar1->addSeparator();
    ViewButton = button("ViewButton", QStringLiteral("View selected message in Editor window"),
                        QStyle::SP_FileDialogContentsView, &TForm3::View1Click);
    ReplyButton = button("ReplyButton", QStringLiteral("Reply to selected message"), QStyle::SP_ArrowBack,
                         &TForm3::Reply1Click);
    ForwardButton = button("ForwardButton", QStringLiteral("Forward selected message"), QStyle::SP_ArrowForward,
                           &TForm3::Forward1Click);
    DeleteButton = button("DeleteButton", QStringLiteral("Delete the selected message from local folder"),
                          QStyle::SP_TrashIcon, &TForm3::DeleteSelectedMessage1Click);
    ToolBar1->addSeparator();
    ExecuteButton = button("ExecuteButton", QStringLiteral("Execute attachment"), QStyle::SP_FileIcon,
                           &TForm3::ExecuteAttachment1Click);
    ToolBar1->addSeparator();
    CloseButton = button("CloseButton", QStringLiteral("Close this window and return to the Editor"),
                         QStyle::SP_DialogCloseButton, &TForm3::Close1Click);
}

void TForm3::buildPopupMenu()
{
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    const auto item = [this](const char* name, const QString& caption, const QString& hint, QAction* twin, auto handler) {
        QAction* action = command(name, caption, hint, handler);
        PopupMenu1->addAction(action);
        popupTwins.append(std::pair{action, twin});
    };
    item("SaveMessage1", QStringLiteral("Save Message"), QStringLiteral("Save Selected Message to Email Folder"), Save1,
         &TForm3::Save1Click);
    item("ViewMessage1", QStringLiteral("View Message"), QStringLiteral("View Selected Message in Editor Window"), View1,
         &TForm3::View1Click);
    item("ReplytoMessage1", QStringLiteral("Reply to Message"), QStringLiteral("Reply to Selected Message"), Reply1,
         &TForm3::Reply1Click);
    item("ForwardMessage1", QStringLiteral("Forward Message"), QStringLiteral("Forward Selected Message "), Forward1,
         &TForm3::Forward1Click);
    item("DeleteMessage1", QStringLiteral("Delete Message"),
         QStringLiteral("Delete the Selected Message From Local Folder"), DeleteSelectedMessage1,
         &TForm3::DeleteSelectedMessage1Click);
    item("ExecuteAttachment2", QStringLiteral("Execute Attachment"),
         QStringLiteral("Execute the Attachment to this Message with the Associated Application"), ExecuteAttachment1,
         &TForm3::ExecuteAttachment1Click);
    connect(PopupMenu1, &QMenu::aboutToShow, this, [this] { PopupMenu1Popup(); });
}

// A hint replaces the panels while it shows: the status bar hides its normal
// widgets during a status tip.
void TForm3::buildStatusBar()
{
    MsgListStatus = statusBar();
    MsgListStatus->setObjectName(QStringLiteral("MsgListStatus"));
    for (const auto& [width, alignment] : {std::pair{180, Qt::AlignLeft}, {75, Qt::AlignHCenter}, {50, Qt::AlignLeft}}) {
        auto* panel = new QLabel(MsgListStatus);
        // The last panel's design width cannot hold "Attachments: " and a count in today's fonts.
        const QString widest = panels.size() == 2 ? QStringLiteral("Attachments: 00") : QString();
        panel->setFixedWidth(std::max(width, panel->fontMetrics().horizontalAdvance(widest) + 8));
        panel->setAlignment(alignment | Qt::AlignVCenter);
        panel->setFrameShape(QFrame::StyledPanel);
        MsgListStatus->addWidget(panel);
        panels << panel;
    }
}

void TForm3::buildList()
{
    ListView1 = new QTreeWidget(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setRootIsDecorated(false);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setMouseTracking(true); // hot tracking
    ListView1->setStyleSheet(QStringLiteral(
        "QTreeView::item { border-right: 1px solid palette(mid); border-bottom: 1px solid palette(mid); }"
        "QTreeView::item:selected { background: palette(highlight); color: palette(highlighted-text); }"));
    ListView1->setHeaderLabels({QStringLiteral("From:"), QStringLiteral("Subject:")});
    ListView1->header()->resizeSection(0, 220);
    ListView1->header()->resizeSection(1, 220);
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ListView1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->popup(ListView1->viewport()->mapToGlobal(at)); });
    connect(ListView1, &QTreeWidget::itemClicked, this, Guard([this](QTreeWidgetItem*, int) {
        if (!busy)
            ListView1Click();
    }));
    connect(ListView1, &QTreeWidget::itemDoubleClicked, this, Guard([this](QTreeWidgetItem*, int) {
        if (!busy)
            ListView1DblClick();
    }));
    setCentralWidget(ListView1);
}
