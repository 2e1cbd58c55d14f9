#include "toolkit/gui/Prompter.h"

#include <QApplication>
#include <QMessageBox>

namespace {

Prompter::Answerer& answerer()
{
    static Prompter::Answerer instance;
    return instance;
}

QMessageBox::Icon iconOf(TMsgDlgType type)
{
    switch (type) {
    case mtWarning: return QMessageBox::Warning;
    case mtError: return QMessageBox::Critical;
    case mtInformation: return QMessageBox::Information;
    case mtConfirmation: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QString captionOf(TMsgDlgType type)
{
    switch (type) {
    case mtWarning: return QStringLiteral("Warning");
    case mtError: return QStringLiteral("Error");
    case mtInformation: return QStringLiteral("Information");
    case mtConfirmation: return QStringLiteral("Confirm");
    }
    return {};
}

int showBox(const Prompter::Prompt& prompt)
{
    QMessageBox box(iconOf(prompt.type), captionOf(prompt.type), prompt.text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    switch (prompt.buttons) {
    case mbOK: box.setStandardButtons(QMessageBox::Ok); break;
    case mbYesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case mbYesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes: return mrYes;
    case QMessageBox::No: return mrNo;
    case QMessageBox::Ok: return mrOk;
    default: return prompt.buttons == mbYesNo ? mrNo : mrCancel;
    }
}

} // namespace

int MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons)
{
    const Prompter::Prompt prompt{text, type, buttons};
    return answerer() ? answerer()(prompt) : showBox(prompt);
}

void ShowMessage(const QString& text)
{
    MessageDlg(text, mtInformation, mbOK);
}

void Prompter::SetAnswerer(Answerer a)
{
    answerer() = std::move(a);
}
