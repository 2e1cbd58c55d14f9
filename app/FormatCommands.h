#pragma once
// The selection's character formats: the Text Attributes commands, the font
// dialog and the format bar's font, size, colour and style controls, which
// mirror the selection as it moves.
#include <QColor>
#include <QObject>
#include <QString>

class QAction;
class QComboBox;
class QSpinBox;
class QToolButton;
class QWidget;
class TColorGrid;
class TFontDialog;
class TRichEdit;
enum class TextMode;

class FormatCommands : public QObject {
    Q_OBJECT
public:
    // window: the owner of the font dialog.
    FormatCommands(TRichEdit& editor, QWidget* window);

    QAction* fontAction() const { return commands.font; }
    QAction* boldAction() const { return commands.bold; }
    QAction* italicAction() const { return commands.italic; }
    QAction* underlineAction() const { return commands.underline; }

    // The font, size and colour controls and the style buttons, at the end of bar's row.
    void addControlsTo(QWidget* bar);
    // Font, size and style controls offered in rich text only.
    void followMode(TextMode mode);
    void followSelection();
    // The format bar's first font and size.
    void start();

private:
    void readConsistency();
    void showSelectionFormat();
    void textBold();
    void textItalic();
    void textUnderline();
    void toggleStyle(const QAction* item, int style);
    void chooseFont();
    void applyFontName(const QString& fontName);
    void applyFontSize();
    void applyColor();

    TRichEdit& editor;
    TFontDialog* fontDialog;
    QComboBox* fontNameBox = nullptr;
    QSpinBox* fontSizeSpin = nullptr;
    TColorGrid* colorGrid = nullptr;
    QToolButton *boldButton = nullptr, *italicButton = nullptr, *underlineButton = nullptr;
    struct {
        QAction *font, *bold, *italic, *underline;
    } commands;

    // The selection's formats: which are uniform (set on a selection change),
    // and the values reported (refreshed after every format command).
    bool faceConsistent = true, sizeConsistent = true, colorConsistent = true, styleConsistent = true;
    QString selFontName;
    int selFontSize = 10;
    QColor selFontColor;
};
