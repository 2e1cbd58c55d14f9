// The mailbox window's controls: main menu, tool bar, context menu, status
// bar and list view, made in that order and filled with the parts' commands.
#include "mailbox/MailboxWindow.h"

#include "mailbox/LocalStores.h"
#include "mailbox/MailRetrieval.h"
#include "mailbox/MessageViewer.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>

void MailboxWindow::buildFrame()
{
    fileMenu = menuBar()->addMenu(QStringLiteral("&File"));
    messagesMenu = menuBar()->addMenu(QStringLiteral("&Messages"));
    toolBar = addToolBar(QStringLiteral("ToolBar1"));
    toolBar->setObjectName(QStringLiteral("ToolBar1"));
    toolBar->setMovable(false);
    toolBar->setIconSize(QSize(16, 16));
    contextMenu = new QMenu(this);
    contextMenu->setObjectName(QStringLiteral("PopupMenu1"));
    buildStatusBar();
    buildList();
}

// A hint replaces the panels while it shows: the status bar hides its normal
// widgets during a status tip.
void MailboxWindow::buildStatusBar()
{
    QStatusBar* status = statusBar();
    status->setObjectName(QStringLiteral("MsgListStatus"));
    for (const auto& [width, alignment] :
         {std::pair{180, Qt::AlignLeft}, {75, Qt::AlignHCenter}, {50, Qt::AlignLeft}}) {
        auto* panel = new QLabel(status);
        // The last panel's design width cannot hold "Attachments: " and a count in today's fonts.
        const QString widest = panels.size() == 2 ? QStringLiteral("Attachments: 00") : QString();
        panel->setFixedWidth(std::max(width, panel->fontMetrics().horizontalAdvance(widest) + 8));
        panel->setAlignment(alignment | Qt::AlignVCenter);
        panel->setFrameShape(QFrame::StyledPanel);
        status->addWidget(panel);
        panels << panel;
    }
}

void MailboxWindow::buildList()
{
    messageList = new QTreeWidget(this);
    messageList->setObjectName(QStringLiteral("ListView1"));
    messageList->setRootIsDecorated(false);
    messageList->setSelectionBehavior(QAbstractItemView::SelectRows);
    messageList->setSelectionMode(QAbstractItemView::SingleSelection);
    messageList->setMouseTracking(true); // hot tracking
    messageList->setStyleSheet(QStringLiteral(
        "QTreeView::item { border-right: 1px solid palette(mid); border-bottom: 1px solid palette(mid); }"
        "QTreeView::item:selected { background: palette(highlight); color: palette(highlighted-text); }"));
    messageList->setHeaderLabels({QStringLiteral("From:"), QStringLiteral("Subject:")});
    messageList->header()->resizeSection(0, 220);
    messageList->header()->resizeSection(1, 220);
    messageList->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(messageList, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { contextMenu->popup(messageList->viewport()->mapToGlobal(at)); });
    setCentralWidget(messageList);
}

void MailboxWindow::fillMenus()
{
    fileMenu->addAction(stopCommand.menuItem);
    fileMenu->addSeparator();
    fileMenu->addAction(closeCommand.menuItem);
    messagesMenu->addActions({retrieval->retrieveCommand().menuItem, retrieval->saveCommand().menuItem,
                              localStores->savedMailCommand().menuItem, localStores->copiesCommand().menuItem});
    messagesMenu->addSeparator();
    messagesMenu->addActions({viewer->viewCommand().menuItem, viewer->replyCommand().menuItem,
                              viewer->forwardCommand().menuItem, localStores->deleteCommand().menuItem});
    messagesMenu->addSeparator();
    messagesMenu->addAction(viewer->fullHeaderCommand().menuItem);
    messagesMenu->addSeparator();
    messagesMenu->addAction(viewer->attachmentCommand().menuItem);
}

void MailboxWindow::fillToolBar()
{
    toolBar->addActions({retrieval->retrieveCommand().toolButton, stopCommand.toolButton,
                         retrieval->saveCommand().toolButton, localStores->savedMailCommand().toolButton,
                         localStores->copiesCommand().toolButton});
    toolBar->addSeparator();
    toolBar->addActions({viewer->viewCommand().toolButton, viewer->replyCommand().toolButton,
                         viewer->forwardCommand().toolButton, localStores->deleteCommand().toolButton});
    toolBar->addSeparator();
    toolBar->addAction(viewer->attachmentCommand().toolButton);
    toolBar->addSeparator();
    toolBar->addAction(closeCommand.toolButton);
}

void MailboxWindow::fillContextMenu()
{
    contextMenu->addActions({retrieval->saveCommand().contextItem, viewer->viewCommand().contextItem,
                             viewer->replyCommand().contextItem, viewer->forwardCommand().contextItem,
                             localStores->deleteCommand().contextItem, viewer->attachmentCommand().contextItem});
    connect(contextMenu, &QMenu::aboutToShow, this, [this] { commands->matchContextItems(); });
}
