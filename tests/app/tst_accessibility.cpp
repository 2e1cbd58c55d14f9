// What a screen reader reaches in the main window: every control by a name,
// and the colour grid's swatches one by one, without a mouse.
#include "ComposeFixture.h"

#include "app/AboutBox.h"
#include "toolkit/gui/ColorGrid.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QTest>

class AccessibilityTest : public QObject {
    Q_OBJECT
    ComposeFixture fx;

    TColorGrid* grid() const { return partOf<TColorGrid>(*fx.form, "ColorGrid1"); }

    // Visible controls a user can press or type into that a screen reader
    // would announce without a name.
    static QStringList namelessControls(const QWidget& window)
    {
        QStringList nameless;
        for (QWidget* widget : window.findChildren<QWidget*>()) {
            const bool control = widget->focusPolicy() != Qt::NoFocus || qobject_cast<QAbstractButton*>(widget);
            if (!control || !widget->isVisibleTo(&window))
                continue;
            QAccessibleInterface* seen = QAccessible::queryAccessibleInterface(widget);
            if (!seen || seen->text(QAccessible::Name).trimmed().isEmpty())
                nameless << QStringLiteral("%1 %2").arg(widget->metaObject()->className(), widget->objectName());
        }
        return nameless;
    }

private slots:
    void init()
    {
        fx.start("127.0.0.1");
        trigger(*fx.form, "PlainText1"); // rich text: the format bar shows
    }

    void cleanup() { fx.stop(); }

    void everyVisibleControlHasAName()
    {
        QVERIFY(partOf<QWidget>(*fx.form, "Panel3")->isVisible());
        QCOMPARE(namelessControls(*fx.form), QStringList());
        QCOMPARE(QAccessible::queryAccessibleInterface(fx.field("toEdit"))->text(QAccessible::Name), QString("To:"));
        AboutBox about(fx.form.get());
        QCOMPARE(namelessControls(about), QStringList());
    }

    void colourSwatchesAreNamedItemsThatPick()
    {
        QAccessibleInterface* list = QAccessible::queryAccessibleInterface(grid());
        QCOMPARE(list->childCount(), 16);
        QCOMPARE(list->child(0)->text(QAccessible::Name), QString("Black"));
        QCOMPARE(list->child(12)->text(QAccessible::Name), QString("Blue"));
        QCOMPARE(list->indexOfChild(list->child(12)), 12);
        QVERIFY(list->child(0)->state().selected);

        int clicks = 0;
        grid()->OnClick = [&] { ++clicks; };
        list->child(12)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(grid()->ForegroundColor(), QColor(Qt::blue));
        QVERIFY(list->child(12)->state().selected && !list->child(0)->state().selected);
        QCOMPARE(clicks, 1);
    }

    void arrowKeysAndEnterPickAColour()
    {
        grid()->setFocus();
        int clicks = 0;
        grid()->OnClick = [&] { ++clicks; };
        QTest::keyClick(grid(), Qt::Key_Right);
        QTest::keyClick(grid(), Qt::Key_Right);
        QTest::keyClick(grid(), Qt::Key_Left);
        QCOMPARE(grid()->ForegroundColor(), QColor(Qt::black)); // moving alone picks nothing
        QTest::keyClick(grid(), Qt::Key_Return);
        QCOMPARE(grid()->ForegroundIndex(), 1);
        QCOMPARE(clicks, 1);
        QTest::keyClick(grid(), Qt::Key_End);
        QTest::keyClick(grid(), Qt::Key_Right); // stays on the last swatch
        QTest::keyClick(grid(), Qt::Key_Space);
        QCOMPARE(grid()->ForegroundColor(), QColor(Qt::white));
    }
};

QTEST_MAIN(AccessibilityTest)
#include "tst_accessibility.moc"
