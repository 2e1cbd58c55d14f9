#pragma once
// The address dialog: edits a display name and an address on a working copy
// that the caller takes back only after OK. TmsMailAddress::Edit runs it once
// InstallMailAddressEditor has been called.
#include <QDialog>
#include <memory>

class QLineEdit;
class QPushButton;
class TmsMailAddress;

class TMailAddressDlg : public QDialog {
    Q_OBJECT
public:
    explicit TMailAddressDlg(QWidget* owner = nullptr);
    ~TMailAddressDlg() override;

    // Copies the address and shows its name and address in the fields.
    void LoadAddress(const TmsMailAddress& address);
    // The working copy; after OK it holds the fields' texts.
    const TmsMailAddress& Address() const { return *working; }

private:
    void takeFields();

    std::unique_ptr<TmsMailAddress> working;
    QLineEdit* nameEdit = nullptr;
    QLineEdit* addressEdit = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;
};

// From then on TmsMailAddress::Edit opens the dialog on a copy of the
// address and takes the copy back on OK.
void InstallMailAddressEditor();
