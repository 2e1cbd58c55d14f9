#pragma once
// A main window shown on an empty settings store, its boxes and dialogs
// answered by the test: how most window tests begin.
#include "Answers.h"
#include "FreshSettings.h"

#include "app/MainWindow.h"

#include <QTest>
#include <memory>

inline bool ShowFreshMainWindow(const QString& configDir, std::unique_ptr<Answers>& answers,
                                std::unique_ptr<MainWindow>& form)
{
    UseFreshSettings(configDir);
    answers = std::make_unique<Answers>();
    form = std::make_unique<MainWindow>();
    form->show();
    return QTest::qWaitForWindowExposed(form.get());
}
