// The address dialog as TmsMailAddress::Edit runs it: OK takes the fields
// back (each cut to 255 characters), Cancel leaves the address as it was.
#include "mail/model/message_items.h"
#include "widgets/AddressEditDialog.h"

#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {

// Edits the address, typing into the fields and pressing the button named.
void editWith(TmsMailAddress& address, const QString& name, const QString& mail, const char* button,
              QStringList* shown = nullptr)
{
    QTimer::singleShot(0, [=] {
        QWidget* dialog = QApplication::activeModalWidget();
        QVERIFY(dialog);
        auto* nameEdit = dialog->findChild<QLineEdit*>("NameEdit");
        auto* addressEdit = dialog->findChild<QLineEdit*>("AddressEdit");
        if (shown)
            *shown = {nameEdit->text(), addressEdit->text()};
        nameEdit->setText(name);
        addressEdit->setText(mail);
        dialog->findChild<QPushButton*>(button)->click();
    });
    address.Edit();
}

} // namespace

class AddressDialogTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { InstallMailAddressEditor(); }

    void okTakesTheFieldsBack()
    {
        TmsMailAddress address;
        QStringList shown;
        editWith(address, "", "", "OKButton", &shown);
        QCOMPARE(shown, (QStringList{"", ""}));
        QCOMPARE(address.Name(), "");
        QCOMPARE(address.Address(), "");
        editWith(address, QString(300, 'n'), "ann@x.test", "OKButton");
        QCOMPARE(address.Name(), QByteArray(255, 'n'));
        QCOMPARE(address.Address(), "ann@x.test");
    }

    void cancelChangesNothing()
    {
        TmsMailAddress address;
        address.SetName("Ann");
        address.SetAddress("ann@x.test");
        QStringList shown;
        editWith(address, "Bob", "bob@y.test", "CancelButton", &shown);
        QCOMPARE(shown, (QStringList{"Ann", "ann@x.test"}));
        QCOMPARE(address.Name(), "Ann");
        QCOMPARE(address.Address(), "ann@x.test");
    }

    // A screen reader announces each field by the label beside it.
    void fieldsHaveNames()
    {
        TMailAddressDlg dialog;
        for (const char* field : {"Name", "Address"}) {
            auto* edit = dialog.findChild<QLineEdit*>(QString::fromLatin1(field) + QStringLiteral("Edit"));
            QCOMPARE(QAccessible::queryAccessibleInterface(edit)->text(QAccessible::Name), QString::fromLatin1(field));
        }
    }
};

QTEST_MAIN(AddressDialogTest)
#include "tst_address_dialog.moc"
