// File dialogs show each filter's description once, as written, and filter
// by the masks behind it.
#include "toolkit/gui/Dialogs.h"

#include <QComboBox>
#include <QFileDialog>
#include <QTest>

class FileDialogFiltersTest : public QObject {
    Q_OBJECT

    static QStringList shown(const QFileDialog& dialog)
    {
        const auto* types = dialog.findChild<QComboBox*>("fileTypeCombo");
        QStringList items;
        for (int i = 0; i < types->count(); ++i)
            items << types->itemText(i);
        return items;
    }

private slots:
    void descriptionsAreShownOnceAndFilterByTheirMasks()
    {
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        const QString filter = "Rich Text(*.rft)|*.rtf|HTML(*.htm,*.html)|*.htm;*.html|All Files|*.*";
        SetNameFilters(dialog, filter, 2);
        QCOMPARE(shown(dialog), QStringList({"Rich Text(*.rft)", "HTML(*.htm,*.html)", "All Files"}));
        QCOMPARE(SelectedFilterIndex(dialog, filter), 2);
        QCOMPARE(dialog.nameFilters().first(), QString("Rich Text(*.rft) (*.rtf)")); // filters *.rtf
        SetNameFilters(dialog, filter, 3);
        QCOMPARE(SelectedFilterIndex(dialog, filter), 3);
        SetNameFilters(dialog, "Plain Text", 1); // a description without masks
        QCOMPARE(shown(dialog), QStringList({"Plain Text"}));
    }
};

QTEST_MAIN(FileDialogFiltersTest)
#include "tst_file_dialog_filters.moc"
