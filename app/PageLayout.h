#pragma once
// Printing and page setup, the editor's text column that mirrors the printed
// page, and the width commands that hold the window to the default or to the
// page's width.
#include "app/ScreenScale.h"
#include "widgets/PageSetupDialog.h"

#include <QObject>

class QAction;
class QWidget;
class TPageSetupDialog;
class TPrintDialog;
class TRichEdit;

class PageLayout : public QObject {
    Q_OBJECT
public:
    // window: the window whose width the commands set, and the dialogs' owner.
    PageLayout(TRichEdit& editor, QWidget& window, ScreenScale scale);

    QAction* printAction() const { return commands.print; }
    QAction* pageSetupAction() const { return commands.pageSetup; }
    QAction* defaultEditorWidthAction() const { return commands.defaultEditorWidth; }
    QAction* defaultWidthOnlyAction() const { return commands.defaultWidthOnly; }
    QAction* usePageSetupWidthAction() const { return commands.usePageSetupWidth; }
    // The context menu's two width items.
    QAction* popupPageSetupWidthAction() const { return commands.popupPageSetupWidth; }
    QAction* popupDefaultWidthAction() const { return commands.popupDefaultWidth; }

    int defaultWidth() const { return scale.pixels(656); }
    // While a width mode is on, only the height follows the user's dragging.
    void windowResized();

private:
    void printDocument();
    void pageSetup();
    void measurePage(const TPSRect& margins);
    void fitTextColumn();
    void restoreDefaultWidth();
    void toggleDefaultWidthOnly();
    void togglePageSetupWidth();

    TRichEdit& editor;
    QWidget& window;
    ScreenScale scale;
    TPrintDialog* printDialog;
    TPageSetupDialog* pageSetupDialog;
    bool pageSetupApplied = false;
    TPSRect pageRect;          // printer pixels from the printable area's origin
    float printerRatio = 1.0f; // screen pixels per printer pixel
    struct {
        QAction *print, *pageSetup, *defaultEditorWidth, *defaultWidthOnly, *usePageSetupWidth;
        QAction *popupPageSetupWidth, *popupDefaultWidth;
    } commands;
};
