#pragma once
// A row of colour swatches; clicking one makes it the chosen foreground colour.
#include <QColor>
#include <QWidget>
#include <functional>

class TColorGrid : public QWidget {
    Q_OBJECT
public:
    explicit TColorGrid(QWidget* parent = nullptr);

    static const QList<QColor>& Palette();   // the 16 standard colours
    QColor ForegroundColor() const { return foreground; }
    void SetForegroundIndex(int index);
    int ForegroundIndex() const { return Palette().indexOf(foreground); }

    std::function<void()> OnClick;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QRect cellRect(int index) const;
    QColor foreground = Qt::black;
};
