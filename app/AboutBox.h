#pragma once
// The About box: the program's picture beside its name, version and what it
// is; double-clicking the picture turns the page to the acknowledgements,
// double-clicking those turns it back.
#include <QDialog>

class QFrame;
class QLabel;
class QListWidget;
class QStackedLayout;

class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget* owner);

    QFrame* textPage; // the page with picture and texts
    QLabel* programIcon;
    QListWidget* acknowledgements;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showAcknowledgements();
    void showTextPage();

    QStackedLayout* pages;
};
