// The editing commands as a user meets them: undo and redo, the selection's
// formats through the menus, the format bar and the font dialog, find and
// replace through their dialogs, word wrap and the context menu.
#include "Answers.h"
#include "FreshWindow.h"
#include "WindowParts.h"

#include "app/MainWindow.h"
#include "toolkit/gui/ColorGrid.h"
#include "toolkit/gui/Dialogs.h"
#include "toolkit/gui/RichEdit.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QMenu>
#include <QScrollBar>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>
#include <memory>

class EditCommandsTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    std::unique_ptr<Answers> answers;
    std::unique_ptr<MainWindow> form;

    TRichEdit* editor() const { return partOf<TRichEdit>(*form, "RichEdit1"); }
    QAction* item(const char* name) const { return partOf<QAction>(*form, name); }
    void click(const char* name) const { trigger(*form, name); }

    void useRichText() { click("PlainText1"); } // a new document switches without asking

    void setUpView()
    {
        QFETCH(bool, rich);
        if (rich)
            useRichText();
        QCOMPARE(editor()->PlainText(), !rich);
    }

    static void bothViews()
    {
        QTest::addColumn<bool>("rich");
        QTest::newRow("plain") << false;
        QTest::newRow("rich") << true;
    }

    void type(const QString& text)
    {
        editor()->view()->setFocus();
        QTest::keyClicks(editor()->view(), text);
    }

    // Attributes of the character at pos, or which are uniform over a range.
    TConsistentAttributes sameOver(int start, int length)
    {
        editor()->SetSelection(start, length);
        return editor()->SelConsistency();
    }
    TFontStyles styleAt(int pos)
    {
        editor()->SetSelection(pos, 1);
        return editor()->SelStyle();
    }
    int sizeAt(int pos)
    {
        editor()->SetSelection(pos, 1);
        return editor()->SelFontSize();
    }

    void find(const QString& text, int options = TFindDialog::frDown)
    {
        auto* dialog = partOf<TFindDialog>(*form, "FindDialog1");
        click("Find1");
        dialog->FindText = text;
        dialog->Options = options;
        dialog->OnFind();
    }

    void replace(const QString& text, const QString& by, int action)
    {
        auto* dialog = partOf<TReplaceDialog>(*form, "ReplaceDialog1");
        click("Replace1");
        dialog->FindText = text;
        dialog->ReplaceText = by;
        dialog->Options = TFindDialog::frDown | action;
        dialog->OnReplace();
    }

    // The font dialog answered with the font it was given, changed by change.
    void runFontDialog(const std::function<void(TFontDialog&)>& change)
    {
        TCommonDialog::SetAnswerer([change](TCommonDialog& dialog) {
            change(static_cast<TFontDialog&>(dialog));
            return true;
        });
        click("Font1");
    }

private slots:
    void init() { QVERIFY(ShowFreshMainWindow(dir.filePath("config"), answers, form)); }

    void cleanup()
    {
        form.reset();
        answers.reset();
    }

    void undoAndRedoGoSeveralStepsButNotAcrossNewOrALoad_data() { bothViews(); }
    void undoAndRedoGoSeveralStepsButNotAcrossNewOrALoad()
    {
        setUpView();
        type("one");
        editor()->SetSelStart(0);
        type("two");
        QCOMPARE(editor()->Text(), QString("twoone"));
        click("Undo1");
        click("Undo1");
        QCOMPARE(editor()->Text(), QString());
        click("Redo1");
        QCOMPARE(editor()->Text(), QString("one"));
        QCOMPARE(item("Redo1")->shortcuts(),
                 QList<QKeySequence>({QKeySequence("Ctrl+Shift+Z"), QKeySequence("Ctrl+Y")}));

        answers->boxAnswers << mrNo; // do not save the changes
        click("New1");
        click("Undo1");
        QCOMPARE(editor()->Text(), QString());

        type("typed");
        editor()->LoadFromBytes("loaded");
        click("Undo1");
        QCOMPARE(editor()->Text(), QString("loaded"));
    }

    // The editor keeps its own keys; Ctrl+U is the menu's Undo.
    void theKeysOfTheTableReachTheirCommands()
    {
        useRichText();
        type("word");
        editor()->SelectAll();
        QTest::keyClick(editor()->view(), Qt::Key_B, Qt::ControlModifier);
        QCOMPARE(styleAt(0), TFontStyles(TFontStyle::Bold));
        QTest::keyClick(editor()->view(), Qt::Key_U, Qt::ControlModifier);
        QCOMPARE(styleAt(0), TFontStyles(0));
        QTest::keyClick(editor()->view(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(form->isVisible());
        QCOMPARE(editor()->Text(), QString());
    }

    void boldWithoutSelectionFormatsTheTextTypedNext()
    {
        useRichText();
        type("plain ");
        click("Bold1");
        QVERIFY(item("Bold1")->isChecked());
        type("bold");
        QCOMPARE(styleAt(0), TFontStyles(0));
        QCOMPARE(styleAt(7), TFontStyles(TFontStyle::Bold));
    }

    void aStyleTogglesOnAUniformSelectionAndKeepsTheOthers()
    {
        useRichText();
        type("some text");
        editor()->SelectAll();
        click("Italicize1");
        click("Bold1");
        QCOMPARE(styleAt(3), TFontStyles(int(TFontStyle::Bold) | int(TFontStyle::Italic)));
        editor()->SelectAll();
        QVERIFY(item("Bold1")->isChecked() && item("Italicize1")->isChecked() && !item("Underline1")->isChecked());
        const auto letters = form->findChildren<QToolButton*>();
        const auto button = [&](const char* letter) {
            return *std::find_if(letters.begin(), letters.end(), [&](auto* b) { return b->text() == letter; });
        };
        QVERIFY(button("B")->font().bold() && button("I")->font().italic() && !button("U")->font().underline());
        click("Bold1");
        QCOMPARE(styleAt(3), TFontStyles(TFontStyle::Italic));
    }

    // Over a long selection the layout starts over between events; the view
    // stays where it was, and Undo takes the change back in one step.
    void boldOverALongSelectionKeepsTheViewAndUndoesInOneStep()
    {
        useRichText();
        const QString text = QString("A line of words that the whole document holds.\n").repeated(4000);
        editor()->SetText(text);
        auto* view = qobject_cast<QTextEdit*>(editor()->view());
        QScrollBar* scroll = view->verticalScrollBar();
        QTRY_VERIFY(scroll->maximum() > 1000);
        scroll->setValue(scroll->maximum() / 2);
        const auto firstShown = [&] { return view->cursorForPosition(QPoint(0, 0)).position(); };
        const int shown = firstShown();
        view->selectAll(); // as Ctrl+A, which does not scroll
        click("Bold1");
        QCoreApplication::processEvents();
        QCOMPARE(firstShown(), shown);
        QCOMPARE(styleAt(int(text.size()) - 2), TFontStyles(TFontStyle::Bold));
        click("Undo1");
        QCOMPARE(styleAt(int(text.size()) - 2), TFontStyles(0));
        QCOMPARE(editor()->Text(), text);
    }

    void boldOnAHalfItalicSelectionDoesNothing()
    {
        useRichText();
        type("plain slant");
        editor()->SetSelection(6, 5);
        click("Italicize1");
        editor()->SelectAll();
        click("Bold1");
        QCOMPARE(styleAt(0), TFontStyles(0));
        QCOMPARE(styleAt(7), TFontStyles(TFontStyle::Italic));
    }

    void aSelectionOfTwoSizesKeepsThemUnlessTheFontDialogChangesTheSize()
    {
        useRichText();
        type("ab");
        editor()->SetSelection(1, 1);
        partOf<QSpinBox>(*form, "SpinEdit1")->setValue(20);
        QCOMPARE(sizeAt(0), 10);
        QCOMPARE(sizeAt(1), 20);

        editor()->SelectAll();
        partOf<QSpinBox>(*form, "SpinEdit1")->setValue(30);
        runFontDialog([](TFontDialog& dialog) { dialog.Color = Qt::red; });
        QCOMPARE(sizeAt(0), 10);
        QCOMPARE(sizeAt(1), 20);
        QCOMPARE(editor()->SelColor(), QColor(Qt::red)); // a changed attribute goes over all

        editor()->SelectAll();
        runFontDialog([](TFontDialog& dialog) { dialog.Font.setPointSize(14); });
        QVERIFY(sameOver(0, 2).Size);
        QCOMPARE(sizeAt(0), 14);
    }

    void theFontDialogKeepsAMixtureOfNamesAndNeverWritesAMixedStyle()
    {
        useRichText();
        type("ab");
        editor()->SetSelection(1, 1);
        emit partOf<QComboBox>(*form, "FontName")->textActivated("Courier");
        click("Underline1");
        editor()->SelectAll();
        runFontDialog([](TFontDialog& dialog) { dialog.Font.setBold(true); });
        QVERIFY(!sameOver(0, 2).Name);
        QCOMPARE(styleAt(0), TFontStyles(0));
        QCOMPARE(styleAt(1), TFontStyles(TFontStyle::Underline));

        editor()->SelectAll();
        runFontDialog([](TFontDialog& dialog) { dialog.Font.setFamily("Serif"); });
        QVERIFY(sameOver(0, 2).Name);
        QCOMPARE(editor()->SelFontName(), QString("Serif"));
    }

    // Every format command, saved as RTF and opened again.
    void aDocumentFormattedWithEveryCommandKeepsItsRunsThroughAFile()
    {
        useRichText();
        type("bold italic under arial courier big blue");
        const auto format = [this](int start, int length, const std::function<void()>& command) {
            editor()->SetSelection(start, length);
            command();
        };
        auto* spinner = partOf<QSpinBox>(*form, "SpinEdit1");
        auto* grid = partOf<TColorGrid>(*form, "ColorGrid1");
        format(0, 4, [&] { click("Bold1"); });
        format(5, 6, [&] { click("Italicize1"); });
        format(12, 5, [&] { click("Underline1"); });
        format(18, 5, [&] { spinner->setValue(14); });
        format(24, 7, [&] { emit partOf<QComboBox>(*form, "FontName")->textActivated("Courier New"); });
        format(32, 3, [&] { spinner->setValue(24); });
        format(36, 4, [&] { grid->PickIndex(int(TColorGrid::Palette().indexOf(QColor(Qt::blue)))); });
        format(0, 4, [&] { grid->PickIndex(int(TColorGrid::Palette().indexOf(QColor(Qt::red)))); });
        QCOMPARE(TColorGrid::Palette().size(), 16);
        const QString file = dir.filePath("formatted.rtf");
        answers->files << file;
        click("SaveAs1");
        answers->boxAnswers << mrNo;
        click("New1");
        answers->files << file;
        click("Open1");

        QCOMPARE(editor()->Text(), QString("bold italic under arial courier big blue"));
        QCOMPARE(styleAt(1), TFontStyles(TFontStyle::Bold));
        QCOMPARE(editor()->SelColor(), QColor(Qt::red));
        QCOMPARE(styleAt(6), TFontStyles(TFontStyle::Italic));
        QCOMPARE(styleAt(13), TFontStyles(TFontStyle::Underline));
        QCOMPARE(sizeAt(4), 10);
        QCOMPARE(sizeAt(19), 14);
        QCOMPARE(sizeAt(33), 24);
        editor()->SetSelection(25, 1);
        QCOMPARE(editor()->SelFontName(), QString("Courier New"));
        QCOMPARE(styleAt(37), TFontStyles(0));
        QCOMPARE(editor()->SelColor(), QColor(Qt::blue));
        QVERIFY(sameOver(18, 5).Name && sameOver(24, 7).Size && !sameOver(0, 40).Color);
        QCOMPARE(editor()->SelFontName(), QString("Arial"));
    }

    void formatCommandsOnlyInRichText()
    {
        for (bool rich : {false, true}) {
            for (const char* name : {"Font1", "Bold1", "Italicize1", "Underline1"})
                QCOMPARE(item(name)->isEnabled(), rich);
            QCOMPARE(partOf<QWidget>(*form, "FontName")->isVisible(), rich);
            QCOMPARE(partOf<QWidget>(*form, "SpinEdit1")->isVisible(), rich);
            QCOMPARE(partOf<QWidget>(*form, "ColorGrid1")->isVisible(), rich);
            if (!rich)
                useRichText();
        }
    }

    void theContextMenuEnablesWhatTheSelectionAllows()
    {
        auto* menu = partOf<QMenu>(*form, "PopupMenu1");
        const auto enabled = [menu] {
            QStringList names;
            emit menu->aboutToShow();
            for (QAction* action : menu->actions())
                if (!action->isSeparator() && action->isEnabled())
                    names << action->text();
            return names.join(",");
        };
        type("text");
        QVERIFY(enabled().startsWith("Paste,Undo") && !enabled().contains("Cut"));
        editor()->SelectAll();
        QVERIFY(enabled().startsWith("Cut,Copy,Paste,Undo") && !enabled().contains("Bold"));
        useRichText();
        editor()->SelectAll();
        QVERIFY(enabled().startsWith("Cut,Copy,Paste,Undo,Bold,Underline,Italicize"));
    }

    void wordWrapTogglesWithItsCheckMark()
    {
        QVERIFY(item("WordWrap1")->isChecked() && editor()->WordWrap());
        click("WordWrap1");
        QVERIFY(!item("WordWrap1")->isChecked() && !editor()->WordWrap());
        click("WordWrap1");
        QVERIFY(item("WordWrap1")->isChecked() && editor()->WordWrap());
    }

    void findRunsForwardsFromTheSelectionOrFromTheBeginning_data() { bothViews(); }
    void findRunsForwardsFromTheSelectionOrFromTheBeginning()
    {
        setUpView();
        type("one two one Two");
        editor()->SetSelStart(8); // the caret in the middle, nothing selected
        find("two");
        QCOMPARE(editor()->SelStart(), 4);
        QCOMPARE(editor()->SelLength(), 3);
        find("two");
        QCOMPARE(editor()->SelStart(), 12);
        find("two"); // the selection ends the text
        QCOMPARE(answers->asked, QStringList{"two not found..."});
        QCOMPARE(editor()->SelStart(), 12);

        editor()->SetSelStart(0);
        find("two", TFindDialog::frDown | TFindDialog::frMatchCase);
        find("two", TFindDialog::frDown | TFindDialog::frMatchCase);
        QCOMPARE(answers->asked.last(), QString("two not found..."));
        editor()->SetText("ones one");
        find("one", TFindDialog::frDown | TFindDialog::frWholeWord);
        QCOMPARE(editor()->SelStart(), 5);
    }

    void replaceAllOfALetterByItselfDoubledAsksForEachOnce_data() { bothViews(); }
    void replaceAllOfALetterByItselfDoubledAsksForEachOnce()
    {
        setUpView();
        type("a-a-a");
        answers->boxAnswers << mrYes << mrYes << mrYes;
        replace("a", "aa", TFindDialog::frReplaceAll);
        const QString question = "Replace this instance of \"a\" with \"aa\"?";
        QCOMPARE(answers->asked, QStringList({question, question, question, "a not found..."}));
        QCOMPARE(editor()->Text(), QString("aa-aa-aa"));
        click("Undo1"); // the whole run is one step
        QCOMPARE(editor()->Text(), QString("a-a-a"));
        click("Redo1");
        answers->asked.clear();
        editor()->SetSelStart(0);
        replace("a", "", TFindDialog::frReplaceAll); // answered No to the end
        QCOMPARE(answers->asked.size(), 7);
        QCOMPARE(editor()->Text(), QString("aa-aa-aa"));
    }

    void theReplaceButtonReplacesOnlyASelection()
    {
        type("keep this");
        replace("zzz", "that", TFindDialog::frReplace);
        QCOMPARE(editor()->Text(), QString("keep this"));
        editor()->SetSelection(5, 4);
        replace("zzz", "that", TFindDialog::frReplace);
        QCOMPARE(editor()->Text(), QString("keep that"));
        QVERIFY(answers->asked.isEmpty());
    }

    // Each search goes on after the inserted text, and the layout follows
    // once at the end, so the work grows with the matches, not with matches
    // times the document.
    void replaceAllOverAMegabyteEnds_data() { bothViews(); }
    void replaceAllOverAMegabyteEnds()
    {
        setUpView();
        editor()->SetText(QString("a bcdefghij klmnopqrst uvwxyz, abcdefghij klmnopqrst uvwxyz.\n").repeated(16000));
        answers->boxAnswers = QList<int>(16000, mrYes);
        QElapsedTimer timer;
        timer.start();
        replace("a", "aa", TFindDialog::frReplaceAll | TFindDialog::frWholeWord);
        QVERIFY2(timer.elapsed() < 15000, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(answers->asked.size(), 16001);
        QCOMPARE(editor()->Text().count("aa "), 16000);
    }
};

QTEST_MAIN(EditCommandsTest)
#include "tst_edit_commands.moc"
