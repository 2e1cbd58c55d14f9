#include "app/AboutBox.h"

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

AboutBox::AboutBox(QWidget* owner) : QDialog(owner)
{
    setWindowTitle(QStringLiteral("About Penvale"));

    textPage = new QFrame;
    programIcon = new QLabel;
    programIcon->setPixmap(programPicture(64));
    programIcon->setAccessibleName(QStringLiteral("Penvale"));
    programIcon->installEventFilter(this);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(6);
    texts->addWidget(textLabel(QStringLiteral("Penvale"), 1.6, true));
    texts->addWidget(textLabel(QStringLiteral("v1.0 Beta 5.2")));
    texts->addWidget(textLabel(QStringLiteral("Rich text, plain text and e-mail in one small window.")));
    texts->addWidget(textLabel(QStringLiteral("Write, then mail it.")));
    texts->addStretch(1);
    auto* panelRow = new QHBoxLayout(textPage);
    panelRow->setContentsMargins(0, 0, 0, 0);
    panelRow->setSpacing(16);
    panelRow->addWidget(programIcon, 0, Qt::AlignTop);
    panelRow->addLayout(texts, 1);

    acknowledgements = new QListWidget;
    acknowledgements->setAccessibleName(QStringLiteral("Acknowledgements"));
    acknowledgements->addItems({QStringLiteral("Built with Qt"),
                                QStringLiteral("Liberation fonts for metric-compatible text"),
                                QStringLiteral("Everyone who tried the early versions")});
    acknowledgements->setSizePolicy(QSizePolicy::Ignored,
                                    QSizePolicy::Ignored); // the page with the texts sizes the box
    acknowledgements->installEventFilter(this);
    acknowledgements->viewport()->installEventFilter(this);

    pages = new QStackedLayout;
    pages->addWidget(textPage);
    pages->addWidget(acknowledgements);

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

void AboutBox::showAcknowledgements()
{
    pages->setCurrentWidget(acknowledgements);
}

void AboutBox::showTextPage()
{
    pages->setCurrentWidget(textPage);
}

bool AboutBox::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (watched == programIcon)
            showAcknowledgements();
        else if (watched == acknowledgements || watched == acknowledgements->viewport())
            showTextPage();
    }
    return QDialog::eventFilter(watched, event);
}
