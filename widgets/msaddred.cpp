// The address dialog, laid out at its design positions scaled to the
// desktop's font.
#include "widgets/msaddred.h"

#include "mail/model/message_items.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cmath>

namespace {

constexpr int maxFieldLength = 255;
constexpr double designFontHeight = 13.0; // an 8-point font at 96 dpi

} // namespace

TMailAddressDlg::TMailAddressDlg(QWidget* owner) : QDialog(owner), working(std::make_unique<TmsMailAddress>())
{
    setObjectName(QStringLiteral("MailAddressDlg"));
    setWindowTitle(QStringLiteral("Address"));
    const double scale = std::max(1.0, fontMetrics().height() / designFontHeight);
    const auto at = [scale](QWidget* widget, int left, int top, int width = 0, int height = 0) {
        const auto s = [scale](int v) { return int(std::lround(v * scale)); };
        widget->move(s(left), s(top));
        if (width)
            widget->setFixedSize(s(width), s(height));
    };
    auto* bevel = new QFrame(this);
    bevel->setObjectName(QStringLiteral("Bevel1"));
    bevel->setFrameStyle(QFrame::Box | QFrame::Sunken);
    at(bevel, 8, 8, 225, 73);
    auto* nameLabel = new QLabel(QStringLiteral("Name"), this);
    at(nameLabel, 24, 24);
    NameEdit = new QLineEdit(this);
    NameEdit->setObjectName(QStringLiteral("NameEdit"));
    at(NameEdit, 64, 16, 161, 21);
    auto* addressLabel = new QLabel(QStringLiteral("Address"), this);
    at(addressLabel, 16, 56);
    AddressEdit = new QLineEdit(this);
    AddressEdit->setObjectName(QStringLiteral("AddressEdit"));
    at(AddressEdit, 64, 48, 161, 21);
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    at(OKButton, 64, 88, 75, 25);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    at(CancelButton, 152, 88, 75, 25);
    setTabOrder(NameEdit, AddressEdit);
    setTabOrder(AddressEdit, OKButton);
    setTabOrder(OKButton, CancelButton);
    connect(OKButton, &QPushButton::clicked, this, [this] { OKButtonClick(); });
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject); // Esc as well, through QDialog
    setFixedSize(int(std::lround(240 * scale)), int(std::lround(124 * scale)));
}

TMailAddressDlg::~TMailAddressDlg() = default;

void TMailAddressDlg::LoadAddress(const TmsMailAddress& address)
{
    working->Assign(address);
    NameEdit->setText(QString::fromUtf8(working->Name()));
    AddressEdit->setText(QString::fromUtf8(working->Address()));
}

void TMailAddressDlg::OKButtonClick()
{
    working->SetName(NameEdit->text().left(maxFieldLength).toUtf8());
    working->SetAddress(AddressEdit->text().left(maxFieldLength).toUtf8());
    accept();
}

void InstallMailAddressEditor()
{
    TmsMailAddress::SetEditor([](TmsMailAddress& address) {
        TMailAddressDlg dialog;
        dialog.LoadAddress(address);
        if (dialog.exec() == QDialog::Accepted)
            address.Assign(dialog.Address());
    });
}
