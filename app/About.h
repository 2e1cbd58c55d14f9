#pragma once
// The About box: the program's picture beside its name, version and what it
// is; double-clicking the picture turns the page to the acknowledgements,
// double-clicking those turns it back.
#include <QDialog>

class QFrame;
class QLabel;
class QListWidget;
class QStackedLayout;

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* owner);

    QFrame* Panel1;          // the page with picture and texts
    QLabel* ProgramIcon;
    QListWidget* Acknowledgements;

    void ProgramIconDblClick();
    void AcknowledgementsDblClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QStackedLayout* pages;
};
