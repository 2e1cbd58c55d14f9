#pragma once
// The status bar's panels, written by every part of the main window.
#include <QList>
#include <QString>

class QLabel;
class QObject;
class QStatusBar;

// The status bar's panels, left to right.
enum class StatusPanel {
    Font,     // the selection's font name; also the mail client's status and the diagnostics
    Size,     // the selection's font size
    Mode,     // "Plain Text" or "Rich Text"
    Name,     // the document's name
    State,    // "Modified" or "Unmodified"; also the send progress and "Done"
    Encoding, // a plain-text document's encoding, such as "UTF-8"; empty for rich text
};

class StatusPanels {
public:
    // doubleClickWatcher: filters the events of the bar and its panels, to
    // hear of double-clicks on them.
    StatusPanels(QStatusBar& bar, QObject& doubleClickWatcher);

    void set(StatusPanel panel, const QString& text);
    QString text(StatusPanel panel) const;
    // Whether object is the bar or one of its panels.
    bool holds(const QObject* object) const;

private:
    QStatusBar& bar;
    QList<QLabel*> panels; // in StatusPanel order
};
