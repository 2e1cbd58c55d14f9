#pragma once
// A row of colour swatches; clicking one, or moving to it with the arrow keys
// and pressing Enter or Space, makes it the chosen foreground colour. Screen
// readers see each swatch as an item named by its colour.
#include <QColor>
#include <QWidget>
#include <functional>

class TColorGrid : public QWidget {
    Q_OBJECT
public:
    explicit TColorGrid(QWidget* parent = nullptr);

    static const QList<QColor>& Palette(); // the 16 standard colours
    static QString ColorName(int index);   // "Black", "Maroon", ...
    QColor ForegroundColor() const { return foreground; }
    void SetForegroundIndex(int index);
    int ForegroundIndex() const { return Palette().indexOf(foreground); }
    int CurrentIndex() const { return current; } // the swatch the keyboard is on
    void SetCurrentIndex(int index);
    void PickIndex(int index); // choose it as a click does
    QRect CellRect(int index) const;

    std::function<void()> OnClick;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QColor foreground = Qt::black;
    int current = 0;
};
