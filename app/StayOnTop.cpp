#include "app/StayOnTop.h"

#include "app/Commands.h"

#include <QWidget>

StayOnTop::StayOnTop(QWidget& window) : QObject(&window), window(window)
{
    stayOnTopCommand = newCheckCommand(
        this, "StayOnTop1", "Stay On &Top", [this] { toggle(); }, ctrlKey('T'));
}

// The editor keeps its document while the window is shown again, so the
// switch leaves the text, its formats and the modified flag alone.
void StayOnTop::toggle()
{
    const bool on = !stayOnTopCommand->isChecked();
    stayOnTopCommand->setChecked(on);
    onTop = on;
    const bool visible = window.isVisible();
    window.setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (visible)
        window.show(); // changing the stacking flag hides the window
}

void StayOnTop::suspend()
{
    if (onTop)
        keepOnTop(false);
    stayOnTopCommand->setEnabled(false);
}

void StayOnTop::resume()
{
    stayOnTopCommand->setEnabled(true);
    if (!onTop)
        return;
    keepOnTop(true);
    stayOnTopCommand->setChecked(true);
}

void StayOnTop::keepOnTop(bool on)
{
    const bool visible = window.isVisible(); // a window closed meanwhile stays closed
    window.setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (visible)
        window.show(); // changing the stacking flag hides the window
}
