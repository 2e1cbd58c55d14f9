#pragma once
// A file drop target: makes one control accept files dragged from the
// desktop's file manager, collects their names and raises one event.
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>

class QDropEvent;
class QWidget;

class TFileDrop : public QObject {
    Q_OBJECT
public:
    explicit TFileDrop(QObject* owner);
    ~TFileDrop() override;

    // Full names from the last drop, in the order the file manager gave them;
    // an address that is not a local file is kept as written.
    const QStringList& Files() const { return files; }
    int FileCount() const { return int(files.size()); }

    bool EnableDrop() const { return enabled; }
    void SetEnableDrop(bool enable);

    // Attaching a control turns EnableDrop on; none detaches and turns it off.
    QWidget* DropControl() const { return control; }
    void SetDropControl(QWidget* target);

    std::function<void(QObject* Sender)> OnDrop; // a drop has been collected into Files

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void attach();
    void detach();
    void collect(const QDropEvent& drop);

    QStringList files;
    bool enabled = false;
    QPointer<QWidget> control;
    bool controlAcceptedDrops = false; // the control's own setting, given back on detaching
    QList<QPointer<QWidget>> watched;  // the control and its inner widgets
};
