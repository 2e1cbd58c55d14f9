#include "widgets/BrowseFolder.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

namespace {
// Runs the dialog, lets the script act inside it once it is open, and
// cancels it if the script left it open.
bool runDialog(TBrowseFolder& browser, const std::function<void(QDialog*)>& script)
{
    browser.OnInitialized = [&script](QObject*, QDialog* dialog) {
        script(dialog);
        if (dialog->isVisible())
            dialog->reject();
    };
    return browser.Execute();
}

// Sets an environment variable for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value) : name(name), old(qgetenv(name)) { qputenv(name, value); }
    ~ScopedEnv() { qputenv(name, old); }

private:
    const char* name;
    QByteArray old;
};
} // namespace

class TestBrowseFolder : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void shortensPathsForTheStatusLine_data();
    void shortensPathsForTheStatusLine();
    void defaults();
    void mapsSpecialFoldersOntoTheDesktops();
    void returnsTheChosenFolder();
    void cancelKeepsDirectory();
    void missingPresetOpensAtTheRoot();
    void okOnlyForAFolder();
    void pushButtonReportsClicksAndTakesChanges();
    void checkBoxStateIsReadBackOnOk();
    void opensOverTheFocusedWindow();
    void answererStandsInForTheDialog();

private:
    QString folder(const QString& relative) const { return base.filePath(relative); }
    QTemporaryDir base;
};

void TestBrowseFolder::initTestCase()
{
    QVERIFY(base.isValid());
    QVERIFY(QDir(base.path()).mkpath(QStringLiteral("alpha/beta/gamma")));
}

void TestBrowseFolder::shortensPathsForTheStatusLine_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("shown");
    const QString longName = QStringLiteral("a-folder-name-longer-than-the-line");
    QTest::newRow("short") << "/home/ann/docs"
                           << "/home/ann/docs";
    QTest::newRow("exactly the limit") << "/home/annabel/projects/penvale/ab12"
                                       << "/home/annabel/projects/penvale/ab12";
    QTest::newRow("six levels") << "/home/annabel/projects/penvale/widgets/tests"
                                << "/home/.../penvale/widgets/tests";
    QTest::newRow("deep, short names") << "/srv/mail/spool/archive/2024/march/week-one/inbox"
                                       << "/srv/.../2024/march/week-one/inbox";
    QTest::newRow("last part alone too long") << "/home/ann/docs/" + longName << "/home/.../" + longName;
    QTest::newRow("two parts stay") << "/home/" + longName << "/home/" + longName;
    QTest::newRow("relative") << "projects/penvale/widgets/tests/data/deeper"
                              << "projects/.../tests/data/deeper";
}

void TestBrowseFolder::shortensPathsForTheStatusLine()
{
    QFETCH(QString, path);
    QFETCH(QString, shown);
    QCOMPARE(ShortenPath(path), shown);
}

void TestBrowseFolder::defaults()
{
    TBrowseFolder browser(nullptr);
    QCOMPARE(browser.Flags, TBrowseInfoFlags(bfFileSysDirsOnly | bfStatusText));
    QCOMPARE(browser.RootFolder, foDesktopExpanded);
    QCOMPARE(browser.CustomButtonWidth(), 75);
    QVERIFY(browser.CustomButtonEnabled());
    browser.SetCustomButtonWidth(120);
    QCOMPARE(browser.CustomButtonWidth(), 120);
    browser.SetCustomButtonWidth(0);
    QCOMPARE(browser.CustomButtonWidth(), 75);
    browser.SetCustomButtonWidth(-4);
    QCOMPARE(browser.CustomButtonWidth(), 75);
}

void TestBrowseFolder::mapsSpecialFoldersOntoTheDesktops()
{
    QTemporaryDir home;
    QVERIFY(QDir(home.path()).mkpath(QStringLiteral(".config")));
    QVERIFY(QDir(home.path()).mkpath(QStringLiteral("Papers/drafts")));
    QFile dirs(home.filePath(QStringLiteral(".config/user-dirs.dirs")));
    QVERIFY(dirs.open(QIODevice::WriteOnly));
    dirs.write("XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\nXDG_DESKTOP_DIR=\"$HOME/Desk\"\n");
    dirs.close();
    ScopedEnv homeEnv("HOME", home.path().toLocal8Bit());
    ScopedEnv configEnv("XDG_CONFIG_HOME", home.filePath(QStringLiteral(".config")).toLocal8Bit());

    const QString papers = home.filePath(QStringLiteral("Papers"));
    QCOMPARE(RootFolderPath(foPersonal), papers);
    QCOMPARE(RootFolderPath(foDesktopDirectory), home.path()); // named but missing
    QCOMPARE(RootFolderPath(foDesktopExpanded), QStringLiteral("/"));
    QCOMPARE(RootFolderPath(foMyComputer), QStringLiteral("/"));
    QCOMPARE(RootFolderPath(foControlPanel), QStringLiteral("/"));
    QCOMPARE(RootFolderPath(foRecycleBin), QStringLiteral("/"));

    TBrowseFolder browser(nullptr);
    browser.RootFolder = foPersonal;
    browser.Directory = folder(QStringLiteral("alpha")); // outside the root
    runDialog(browser, [&](QDialog*) {
        QCOMPARE(browser.SelectionText(), papers);
        QVERIFY(!browser.SelectPath(folder(QStringLiteral("alpha"))));
        QVERIFY(browser.SelectPath(papers + QStringLiteral("/drafts")));
        browser.OkButton()->click();
    });
    QCOMPARE(browser.Directory, papers + QStringLiteral("/drafts"));
}

void TestBrowseFolder::returnsTheChosenFolder()
{
    TBrowseFolder browser(nullptr);
    browser.Directory = folder(QStringLiteral("alpha"));
    browser.Title = QStringLiteral("Where should mail be kept?");
    browser.ShowPathInStatusArea = true;
    QList<QString> reported;
    QDialog* reportedDialog = nullptr;
    browser.OnSelectionChanged = [&](QObject* sender, QDialog* dialog, const QModelIndex& item, const QString& path) {
        QCOMPARE(sender, &browser);
        QCOMPARE(item.data(QFileSystemModel::FilePathRole).toString(), path);
        reportedDialog = dialog;
        reported << path;
    };
    const QString deep = folder(QStringLiteral("alpha/beta/gamma"));
    const bool confirmed = runDialog(browser, [&](QDialog* dialog) {
        QCOMPARE(browser.Dialog(), dialog);
        QCOMPARE(browser.SelectionText(), folder(QStringLiteral("alpha")));
        QVERIFY(browser.OkButton()->isEnabled());
        auto* title = dialog->findChild<QLabel*>();
        QVERIFY(title && title->isVisible());
        QCOMPARE(title->text(), browser.Title);
        QVERIFY(browser.SelectPath(deep));
        QVERIFY(dialog->findChild<QLabel*>(QStringLiteral("statusLine"))->isVisible());
        QCOMPARE(browser.StatusText(), ShortenPath(deep));
        browser.OkButton()->click();
    });
    QVERIFY(confirmed);
    QCOMPARE(browser.Directory, deep);
    QCOMPARE(reported, QList<QString>({folder(QStringLiteral("alpha")), deep}));
    QVERIFY(reportedDialog);
    QVERIFY(!browser.Dialog());
}

void TestBrowseFolder::cancelKeepsDirectory()
{
    TBrowseFolder browser(nullptr);
    browser.Directory = folder(QStringLiteral("alpha"));
    const bool confirmed = runDialog(
        browser, [&](QDialog*) { QVERIFY(browser.SelectPath(folder(QStringLiteral("alpha/beta")))); });
    QVERIFY(!confirmed);
    QCOMPARE(browser.Directory, folder(QStringLiteral("alpha")));
}

void TestBrowseFolder::missingPresetOpensAtTheRoot()
{
    TBrowseFolder browser(nullptr);
    browser.Directory = folder(QStringLiteral("no-such-folder"));
    runDialog(browser, [&](QDialog*) {
        QCOMPARE(browser.SelectionText(), QStringLiteral("/"));
        QVERIFY(browser.StatusText().isEmpty()); // the path is shown only on request
    });
    QCOMPARE(browser.Directory, folder(QStringLiteral("no-such-folder")));
}

void TestBrowseFolder::okOnlyForAFolder()
{
    TBrowseFolder browser(nullptr);
    browser.Flags = bfFileSysDirsOnly;
    browser.Directory = folder(QStringLiteral("alpha"));
    browser.CustomButtonVisible = true;
    browser.SyncCustomButton = true;
    const bool confirmed = runDialog(browser, [&](QDialog* dialog) {
        QVERIFY(!dialog->findChild<QLabel*>(QStringLiteral("statusLine"))->isVisible());
        QVERIFY(browser.OkButton()->isEnabled());
        QVERIFY(browser.CustomButton()->isEnabled());
        browser.ClearSelection();
        QVERIFY(browser.SelectionText().isEmpty());
        QVERIFY(!browser.OkButton()->isEnabled());
        QVERIFY(!browser.CustomButton()->isEnabled());
        QVERIFY(!browser.CustomButtonEnabled());
        QVERIFY(browser.SelectPath(folder(QStringLiteral("alpha/beta"))));
        QVERIFY(browser.OkButton()->isEnabled());
        QVERIFY(browser.CustomButton()->isEnabled());
        browser.ClearSelection();
        dialog->accept(); // even a forced accept chooses nothing
    });
    QVERIFY(!confirmed);
    QCOMPARE(browser.Directory, folder(QStringLiteral("alpha")));
}

void TestBrowseFolder::pushButtonReportsClicksAndTakesChanges()
{
    TBrowseFolder browser(nullptr);
    browser.CustomButtonVisible = true;
    browser.SetCustomButtonCaption(QStringLiteral("Info"));
    browser.SetCustomButtonEnabled(false);
    int clicks = 0;
    browser.OnCustomButtonClick = [&](QObject* sender, QDialog* dialog) {
        QCOMPARE(sender, &browser);
        QCOMPARE(dialog, browser.Dialog());
        ++clicks;
    };
    runDialog(browser, [&](QDialog* dialog) {
        auto* button = qobject_cast<QPushButton*>(browser.CustomButton());
        QVERIFY(button);
        QCOMPARE(button->parentWidget(), dialog);
        QCOMPARE(button->text(), QStringLiteral("Info"));
        QCOMPARE(button->size(), QSize(75, 23));
        QVERIFY(button->focusPolicy() & Qt::TabFocus);
        QVERIFY(button->geometry().right() < browser.OkButton()->mapTo(dialog, QPoint()).x());
        QVERIFY(!button->isEnabled());
        browser.SetCustomButtonEnabled(true);
        browser.SetCustomButtonCaption(QStringLiteral("More"));
        QVERIFY(button->isEnabled());
        QCOMPARE(button->text(), QStringLiteral("More"));
        button->click();
        QVERIFY(dialog->isVisible());
    });
    QCOMPARE(clicks, 1);
    QVERIFY(!browser.CustomButton());
}

void TestBrowseFolder::checkBoxStateIsReadBackOnOk()
{
    TBrowseFolder browser(nullptr);
    browser.Directory = folder(QStringLiteral("alpha"));
    browser.CustomButtonVisible = true;
    browser.CustomButtonType = btCheckBox;
    browser.CustomButtonChecked = true;
    QVERIFY(runDialog(browser, [&](QDialog*) {
        auto* box = qobject_cast<QCheckBox*>(browser.CustomButton());
        QVERIFY(box && box->isChecked());
        box->click();
        QVERIFY(browser.CustomButtonChecked); // read only when confirmed
        browser.OkButton()->click();
    }));
    QVERIFY(!browser.CustomButtonChecked);

    runDialog(browser, [&](QDialog*) {
        QVERIFY(!browser.CustomButton()->isChecked());
        browser.CustomButton()->click();
    });
    QVERIFY(!browser.CustomButtonChecked);
}

void TestBrowseFolder::opensOverTheFocusedWindow()
{
    QWidget owner;
    owner.setGeometry(100, 120, 800, 600);
    owner.show();
    TBrowseFolder browser(&owner);
    const auto centredOver = [](QDialog* dialog, const QWidget& window) {
        const QRect area = window.frameGeometry();
        const QRect placed = dialog->frameGeometry();
        return placed.center().x() == area.center().x() && placed.top() == area.top() + area.height() / 4;
    };
    runDialog(browser, [&](QDialog* dialog) {
        QCOMPARE(dialog->parentWidget(), &owner);
        QVERIFY(centredOver(dialog, owner)); // no window has the focus: over the owner
    });

    QWidget focused;
    focused.setGeometry(700, 300, 500, 300);
    focused.show();
    QApplication::setActiveWindow(&focused);
    runDialog(browser, [&](QDialog* dialog) {
        QCOMPARE(dialog->parentWidget(), &owner);
        QVERIFY(centredOver(dialog, focused));
    });
}

void TestBrowseFolder::answererStandsInForTheDialog()
{
    TCommonDialog::SetAnswerer([](TCommonDialog& dialog) {
        auto* browser = qobject_cast<TBrowseFolder*>(&dialog);
        if (browser)
            browser->Directory = QStringLiteral("/srv/mail");
        return browser != nullptr;
    });
    TBrowseFolder browser(nullptr);
    const bool confirmed = browser.Execute();
    TCommonDialog::SetAnswerer({});
    QVERIFY(confirmed);
    QCOMPARE(browser.Directory, QStringLiteral("/srv/mail"));
}

QTEST_MAIN(TestBrowseFolder)
#include "tst_browse_folder.moc"
