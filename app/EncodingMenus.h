#pragma once
// The File menu's "Reopen with Encoding" and "Save with Encoding": one
// command per encoding a plain-text file can be read and saved in.
#include <QObject>

class DocumentSession;
class QMenu;

class EncodingMenus : public QObject {
    Q_OBJECT
public:
    explicit EncodingMenus(DocumentSession& session);

    // Both menus go on fileMenu, at its end.
    void addTo(QMenu& fileMenu);

private:
    // The commands work on plain text only; reopening needs a file.
    void updateEnabled();

    DocumentSession& session;
    QMenu* reopenMenu = nullptr;
    QMenu* saveMenu = nullptr;
};
