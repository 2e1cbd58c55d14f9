#pragma once
// The editor's size limit: one million characters or a hundred million,
// switched from the Options menu and kept in the settings; the status bar
// tells when typing or a file meets it.
#include <QObject>

class QAction;
class StatusPanels;
class TRichEdit;

class SizeLimit : public QObject {
    Q_OBJECT
public:
    SizeLimit(TRichEdit& editor, StatusPanels& status, QObject* parent);

    QAction* maxSizeAction() const { return maxSizeCommand; }

    // The limit kept in the settings.
    void apply();
    void reportRefused();
    // A file longer than the limit is opened whole; the status bar says so.
    void reportIfExceeded();

private:
    void switchMaxSize();

    TRichEdit& editor;
    StatusPanels& status;
    QAction* maxSizeCommand;
};
