// The compose panel of the main window: recipient, copy recipient, subject
// and attachment fields with their buttons, and the clipboard commands that
// act on whichever editing field has the focus.
#include "app/MainWindow.h"

#include "app/SettingsStore.h"
#include "toolkit/gui/Dialogs.h"
#include "toolkit/gui/ErrorHandler.h"
#include "toolkit/gui/Prompter.h"
#include "toolkit/gui/RichEdit.h"

#include <QApplication>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// Fields take their design width where the window allows it and give up a
// quarter of it before the window has to grow.
QLineEdit* composeField(const QString& name, int width)
{
    auto* edit = new QLineEdit;
    edit->setObjectName(name);
    edit->setMinimumWidth(width * 3 / 4);
    edit->setMaximumWidth(width);
    return edit;
}

// A field's caption, read out by screen readers as the field's name.
QLabel* captionFor(QLineEdit* field, const QString& caption)
{
    auto* label = new QLabel(caption);
    label->setBuddy(field);
    return label;
}

QPushButton* composeButton(const QString& name, const QString& caption, const QString& hint)
{
    auto* button = new QPushButton(caption);
    button->setObjectName(name);
    button->setToolTip(hint);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

void MainWindow::buildComposePanel()
{
    Panel3 = new QWidget(this);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    toEdit = composeField(QStringLiteral("toEdit"), 163);
    subjectEdit = composeField(QStringLiteral("subjectEdit"), 138);
    eCC = composeField(QStringLiteral("eCC"), 163);
    AttEdit = composeField(QStringLiteral("AttEdit"), 306);
    AttEdit->setToolTip(QStringLiteral("Double click here to choose file to attach to your email message"));
    AttEdit->installEventFilter(this);
    SendBtn = composeButton(QStringLiteral("SendBtn"), QStringLiteral("Send"),
                            QStringLiteral("Send the currnent document as email"));
    CancelBtn = composeButton(QStringLiteral("CancelBtn"), QStringLiteral("Cancel"),
                              QStringLiteral("Cancel the current email operation"));
    Button1 = composeButton(QStringLiteral("Button1"), QStringLiteral("Done"),
                            QStringLiteral("Click here when you're done sending email"));
    connect(SendBtn, &QPushButton::clicked, this, Guard([this](bool) { SendBtnClick(); }));
    connect(CancelBtn, &QPushButton::clicked, this, Guard([this](bool) { CancelBtnClick(); }));
    connect(Button1, &QPushButton::clicked, this, Guard([this](bool) { Button1Click(); }));

    auto* grid = new QGridLayout(Panel3);
    grid->setContentsMargins(4, 2, 4, 2);
    grid->setVerticalSpacing(2);
    grid->addWidget(captionFor(toEdit, QStringLiteral("To:")), 0, 0);
    grid->addWidget(toEdit, 0, 1);
    grid->addWidget(captionFor(subjectEdit, QStringLiteral("Subject:")), 0, 2);
    grid->addWidget(subjectEdit, 0, 3);
    grid->addWidget(SendBtn, 0, 4);
    grid->addWidget(CancelBtn, 0, 5);
    grid->addWidget(captionFor(eCC, QStringLiteral("cc:")), 1, 0);
    grid->addWidget(eCC, 1, 1);
    grid->addWidget(captionFor(AttEdit, QStringLiteral("Attachments:")), 1, 2);
    grid->addWidget(AttEdit, 1, 3, 1, 2);
    grid->addWidget(Button1, 1, 5);
    grid->setColumnStretch(1, 163);
    grid->setColumnStretch(3, 138);
    grid->setColumnStretch(4, 168);
    grid->setColumnStretch(6, 1);
    Panel3->hide();
}

void MainWindow::SendEmail1Click()
{
    const TSettingsStore& store = AppSettings();
    if (store.SMTPServer.isEmpty() || store.EmailAddress.isEmpty()) {
        MessageDlg(QStringLiteral("Please setup your email address and SMTP server in Options/Preferences."),
                   mtWarning, mbOK);
        return;
    }
    for (QLineEdit* field : {eCC, toEdit, AttEdit, subjectEdit})
        field->clear();
    Panel3->show();
}

void MainWindow::Button1Click()
{
    Panel3->hide();
    upDateStatusBar();
}

void MainWindow::AttEditDblClick()
{
    resetOpenDialog(OpenSetup::Attachments);
    if (OpenDialog1->Execute())
        AttEdit->setText(OpenDialog1->FileName);
    resetOpenDialog(OpenSetup::Open);
}

// The clipboard commands go to the editor or the compose field that has the
// focus; with the focus elsewhere they do nothing.
QLineEdit* MainWindow::focusedComposeField() const
{
    QWidget* focus = QApplication::focusWidget();
    for (QLineEdit* field : {toEdit, eCC, subjectEdit, AttEdit})
        if (focus == field)
            return field;
    return nullptr;
}

bool MainWindow::editorHasFocus() const
{
    QWidget* focus = QApplication::focusWidget();
    return focus && (focus == RichEdit1->view() || RichEdit1->view()->isAncestorOf(focus));
}

void MainWindow::Cut1Click()
{
    if (QLineEdit* field = focusedComposeField())
        field->cut();
    else if (editorHasFocus())
        RichEdit1->CutToClipboard();
}

void MainWindow::Copy1Click()
{
    if (QLineEdit* field = focusedComposeField())
        field->copy();
    else if (editorHasFocus())
        RichEdit1->CopyToClipboard();
}

void MainWindow::Paste1Click()
{
    if (QLineEdit* field = focusedComposeField())
        field->paste();
    else if (editorHasFocus())
        RichEdit1->PasteFromClipboard();
}
