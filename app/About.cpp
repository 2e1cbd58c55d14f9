#include "app/About.h"

#include "app/ToolIcons.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QStackedLayout>
#include <QVBoxLayout>

namespace {

QLabel* textLabel(const QString& text, qreal scale = 1.0, bool bold = false)
{
    auto* label = new QLabel(text);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * scale);
    font.setBold(bold);
    label->setFont(font);
    return label;
}

} // namespace

TAboutBox::TAboutBox(QWidget* owner) : QDialog(owner)
{
    setWindowTitle(QStringLiteral("About Penvale"));

    Panel1 = new QFrame;
    ProgramIcon = new QLabel;
    ProgramIcon->setPixmap(programPicture(64));
    ProgramIcon->setAccessibleName(QStringLiteral("Penvale"));
    ProgramIcon->installEventFilter(this);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(6);
    texts->addWidget(textLabel(QStringLiteral("Penvale"), 1.6, true));
    texts->addWidget(textLabel(QStringLiteral("v1.0 Beta 5.2")));
    texts->addWidget(textLabel(QStringLiteral("Rich text, plain text and e-mail in one small window.")));
    texts->addWidget(textLabel(QStringLiteral("Write, then mail it.")));
    texts->addStretch(1);
    auto* panelRow = new QHBoxLayout(Panel1);
    panelRow->setContentsMargins(0, 0, 0, 0);
    panelRow->setSpacing(16);
    panelRow->addWidget(ProgramIcon, 0, Qt::AlignTop);
    panelRow->addLayout(texts, 1);

    Acknowledgements = new QListWidget;
    Acknowledgements->setAccessibleName(QStringLiteral("Acknowledgements"));
    Acknowledgements->addItems({QStringLiteral("Built with Qt"), QStringLiteral("Liberation fonts for metric-compatible text"),
                                QStringLiteral("Everyone who tried the early versions")});
    Acknowledgements->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored); // the page with the texts sizes the box
    Acknowledgements->installEventFilter(this);
    Acknowledgements->viewport()->installEventFilter(this);

    pages = new QStackedLayout;
    pages->addWidget(Panel1);
    pages->addWidget(Acknowledgements);

    auto* buttons = new QDialogButtonBox;
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(20, 20, 20, 12);
    column->setSpacing(16);
    column->addLayout(pages);
    column->addWidget(buttons);

    setMinimumWidth(380);
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TAboutBox::ProgramIconDblClick()
{
    pages->setCurrentWidget(Acknowledgements);
}

void TAboutBox::AcknowledgementsDblClick()
{
    pages->setCurrentWidget(Panel1);
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
