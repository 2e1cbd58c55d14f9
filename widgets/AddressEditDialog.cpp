// The address dialog, laid out at its design positions scaled to the
// desktop's font.
#include "widgets/AddressEditDialog.h"

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
    nameEdit = new QLineEdit(this);
    nameEdit->setObjectName(QStringLiteral("NameEdit"));
    nameEdit->setAccessibleName(nameLabel->text());
    at(nameEdit, 64, 16, 161, 21);
    auto* addressLabel = new QLabel(QStringLiteral("Address"), this);
    at(addressLabel, 16, 56);
    addressEdit = new QLineEdit(this);
    addressEdit->setObjectName(QStringLiteral("AddressEdit"));
    addressEdit->setAccessibleName(addressLabel->text());
    at(addressEdit, 64, 48, 161, 21);
    okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("OKButton"));
    okButton->setDefault(true);
    at(okButton, 64, 88, 75, 25);
    cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton->setObjectName(QStringLiteral("CancelButton"));
    at(cancelButton, 152, 88, 75, 25);
    setTabOrder(nameEdit, addressEdit);
    setTabOrder(addressEdit, okButton);
    setTabOrder(okButton, cancelButton);
    connect(okButton, &QPushButton::clicked, this, [this] { takeFields(); });
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject); // Esc as well, through QDialog
    setFixedSize(int(std::lround(240 * scale)), int(std::lround(124 * scale)));
}

TMailAddressDlg::~TMailAddressDlg() = default;

void TMailAddressDlg::LoadAddress(const TmsMailAddress& address)
{
    working->Assign(address);
    nameEdit->setText(QString::fromUtf8(working->Name()));
    addressEdit->setText(QString::fromUtf8(working->Address()));
}

void TMailAddressDlg::takeFields()
{
    working->SetName(nameEdit->text().left(maxFieldLength).toUtf8());
    working->SetAddress(addressEdit->text().left(maxFieldLength).toUtf8());
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
