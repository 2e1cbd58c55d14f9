#pragma once
// Stay On Top: the window kept above the others, a choice put aside while the
// mailbox window, which stays on top itself, is open.
#include <QObject>

class QAction;
class QWidget;

class StayOnTop : public QObject {
    Q_OBJECT
public:
    explicit StayOnTop(QWidget& window);

    QAction* stayOnTopAction() const { return stayOnTopCommand; }
    bool isActive() const { return onTop; }

    // The choice stays; the window no longer keeps to the top until resume().
    void suspend();
    void resume();

private:
    void toggle();
    void keepOnTop(bool on);

    QWidget& window;
    QAction* stayOnTopCommand;
    bool onTop = false;
};
