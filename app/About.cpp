#include "app/About.h"

#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStackedLayout>
#include <QVBoxLayout>

namespace {

// The program's picture: a pen nib over a sheet, drawn so no image file is needed.
QPixmap programPicture()
{
    QPixmap picture(64, 64);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(Qt::white);
    p.setPen(QPen(Qt::darkGray, 2));
    p.drawRoundedRect(QRectF(10, 6, 40, 52), 4, 4);
    p.setPen(QPen(QColor(120, 140, 170), 2));
    for (int y = 18; y <= 46; y += 7)
        p.drawLine(16, y, 40, y);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 60, 140));
    p.drawPolygon(QPolygonF({QPointF(58, 10), QPointF(62, 14), QPointF(36, 46), QPointF(30, 48), QPointF(32, 42)}));
    return picture;
}

QLabel* textLabel(const QString& text, int pointSize, QFont::Weight weight)
{
    auto* label = new QLabel(text);
    QFont font = label->font();
    font.setPointSize(pointSize);
    font.setWeight(weight);
    label->setFont(font);
    return label;
}

} // namespace

TAboutBox::TAboutBox(QWidget* owner) : QDialog(owner, Qt::Tool)
{
    setWindowTitle(QStringLiteral("About Penvale"));
    setAutoFillBackground(true);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);

    Panel1 = new QFrame;
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Raised);
    Panel1->setLineWidth(2);
    Panel1->setAutoFillBackground(true);
    Panel1->setPalette(QGuiApplication::palette());
    ProgramIcon = new QLabel;
    ProgramIcon->setPixmap(programPicture());
    ProgramIcon->installEventFilter(this);
    auto* texts = new QVBoxLayout;
    texts->addWidget(textLabel(QStringLiteral("Penvale"), 16, QFont::Bold));
    texts->addWidget(textLabel(QStringLiteral("v1.0 Beta 5.2"), 10, QFont::Normal));
    texts->addWidget(textLabel(QStringLiteral("Write, then mail it."), 10, QFont::Normal));
    texts->addWidget(textLabel(QStringLiteral("Rich text, plain text and e-mail in one small window."), 9, QFont::Normal));
    auto* panelRow = new QHBoxLayout(Panel1);
    panelRow->addWidget(ProgramIcon, 0, Qt::AlignTop);
    panelRow->addLayout(texts);

    Acknowledgements = new QListWidget;
    Acknowledgements->addItems({QStringLiteral("Built with Qt"), QStringLiteral("Liberation fonts for metric-compatible text"),
                                QStringLiteral("Everyone who tried the early versions")});
    Acknowledgements->installEventFilter(this);
    Acknowledgements->viewport()->installEventFilter(this);

    auto* pages = new QStackedLayout;
    pages->setStackingMode(QStackedLayout::StackAll);
    pages->addWidget(Acknowledgements);
    pages->addWidget(Panel1);
    pages->setCurrentWidget(Panel1);

    auto* ok = new QPushButton(QStringLiteral("OK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* column = new QVBoxLayout(this);
    column->addLayout(pages);
    column->addWidget(ok, 0, Qt::AlignHCenter);

    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TAboutBox::ProgramIconDblClick()
{
    Panel1->hide();
}

void TAboutBox::AcknowledgementsDblClick()
{
    Panel1->show();
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (watched == ProgramIcon)
            ProgramIconDblClick();
        else if (watched == Acknowledgements || watched == Acknowledgements->viewport())
            AcknowledgementsDblClick();
    }
    return QDialog::eventFilter(watched, event);
}
