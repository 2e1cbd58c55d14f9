#pragma once
// Scripted answers for message boxes and common dialogs, with a record of
// what the program asked.
#include "toolkit/gui/Dialogs.h"
#include "toolkit/gui/Prompter.h"

#include <QList>
#include <QStringList>
#include <optional>

struct Answers {
    QList<int> boxAnswers;               // next answers for message boxes
    QStringList asked;                   // texts of the boxes shown
    QList<std::optional<QString>> files; // next dialog results: a file name, or cancel
    int dialogsRun = 0;
    struct FileDialogSeen {
        QString title, filter, initialDir;
    } lastDialog; // how the last file dialog was prepared

    Answers()
    {
        Prompter::SetAnswerer([this](const Prompter::Prompt& prompt) {
            asked << prompt.text;
            return boxAnswers.isEmpty() ? int(mrCancel) : boxAnswers.takeFirst();
        });
        TCommonDialog::SetAnswerer([this](TCommonDialog& dialog) {
            ++dialogsRun;
            auto* fileDialog = qobject_cast<TOpenDialog*>(&dialog);
            if (!fileDialog)
                return false;
            lastDialog = {fileDialog->Title, fileDialog->Filter, fileDialog->InitialDir};
            if (files.isEmpty())
                return false;
            const std::optional<QString> file = files.takeFirst();
            if (file)
                fileDialog->FileName = *file;
            return file.has_value();
        });
    }
    ~Answers()
    {
        Prompter::SetAnswerer({});
        TCommonDialog::SetAnswerer({});
    }
};
