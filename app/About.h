#pragma once
// The About box: the program's picture, name and version on a raised panel;
// double-clicking the picture uncovers the acknowledgements behind it.
#include <QDialog>

class QFrame;
class QLabel;
class QListWidget;

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* owner);

    QFrame* Panel1;          // the raised panel with picture and texts
    QLabel* ProgramIcon;
    QListWidget* Acknowledgements;

    void ProgramIconDblClick();
    void AcknowledgementsDblClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
