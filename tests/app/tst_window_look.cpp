// The main window as a user sees it: the tool bar's groups, buttons greyed
// with their commands, and status panels that hold their places.
#include "ComposeFixture.h"

#include <QFrame>
#include <QLabel>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>

class WindowLookTest : public QObject {
    Q_OBJECT
    ComposeFixture fx;

    QToolButton* button(const QString& name) const
    {
        for (QToolButton* b : fx.form->findChildren<QToolButton*>())
            if (b->accessibleName() == name)
                return b;
        qFatal("no button %s", qPrintable(name));
    }

    QList<QLabel*> statusPanels() const
    {
        QList<QLabel*> panels = fx.form->statusBar()->findChildren<QLabel*>();
        std::sort(panels.begin(), panels.end(), [](QLabel* a, QLabel* b) { return a->x() < b->x(); });
        return panels;
    }

private slots:
    void init() { fx.start("127.0.0.1"); }
    void cleanup() { fx.stop(); }

    void theToolBarIsGroupedBySeparators()
    {
        QStringList drawn;
        const QWidget* bar = partOf<QWidget>(*fx.form, "Panel1");
        for (QObject* child : bar->children()) {
            if (auto* b = qobject_cast<QToolButton*>(child))
                drawn << b->accessibleName().trimmed();
            else if (auto* line = qobject_cast<QFrame*>(child); line && line->frameShape() == QFrame::VLine)
                drawn << "|";
        }
        QCOMPARE(drawn.join(", "),
                 QString("Begin a new document, Open an existing document file, Save the current document to disk, |, "
                         "Send Email, Retrieve Email, |, Print the current document, Page Setup, |, "
                         "Cut selected text to the clipboard, Copy selected text to the clipboard, "
                         "Paste from the clipboard into the current document, Undo, |, Search for text, "
                         "Search and replace text, |, Settings, Exit Penvale"));
    }

    void buttonsAreGreyWithTheirCommands()
    {
        const std::pair<const char*, const char*> pairs[] = {{"Print the current document", "Print1"},
                                                             {"Bold", "Bold1"},
                                                             {"Cut selected text to the clipboard", "Cut1"}};
        for (const bool plain : {true, false}) {
            QCOMPARE(partOf<QAction>(*fx.form, "PlainText1")->isChecked(), plain);
            for (const auto& [hint, command] : pairs)
                QCOMPARE(button(hint)->isEnabled(), partOf<QAction>(*fx.form, command)->isEnabled());
            trigger(*fx.form, "PlainText1");
        }
        QVERIFY(!button("Bold")->isEnabled()); // plain text again
    }

    void aLongStatusTextKeepsThePanelsInPlace()
    {
        const QList<QLabel*> panels = statusPanels();
        QCOMPARE(panels.size(), 6);
        QList<QRect> before;
        for (QLabel* panel : panels)
            before << panel->geometry();
        panels[0]->setText(QString("Connecting to mail.example.test: a very long status text ").repeated(4));
        QTest::qWait(10);
        for (int i = 0; i < panels.size(); ++i)
            QCOMPARE(panels[i]->geometry(), before[i]);
        QVERIFY(panels[4]->contentsRect().width() >= panels[4]->fontMetrics().horizontalAdvance("Unmodified"));
    }
};

QTEST_MAIN(WindowLookTest)
#include "tst_window_look.moc"
