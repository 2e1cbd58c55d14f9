#pragma once
// Message boxes with fixed button sets. Every question and notice of the
// program goes through MessageDlg, so tests answer them through SetAnswerer.
#include <QString>
#include <functional>

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation };
enum TMsgDlgButtons { mbOK, mbYesNo, mbYesNoCancel };
enum TModalResult { mrNone = 0, mrOk = 1, mrCancel = 2, mrYes = 6, mrNo = 7 };

// Shows the box and returns the button chosen; closing a Yes/No/Cancel box is Cancel.
int MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons);
void ShowMessage(const QString& text);

namespace Prompter {
struct Prompt {
    QString text;
    TMsgDlgType type;
    TMsgDlgButtons buttons;
};
using Answerer = std::function<int(const Prompt&)>;
// Replaces the real boxes (tests); an empty function restores them.
void SetAnswerer(Answerer answerer);
}
