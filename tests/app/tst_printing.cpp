// Printing, page setup and the width commands of the main window, printing
// into PDF files that poppler's tools read back.
#include "Answers.h"
#include "FreshWindow.h"
#include "PrintFixture.h"
#include "WindowParts.h"

#include "widgets/CurrentPrinter.h"
#include "widgets/PageSetupDialog.h"

#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

class PrintingTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    std::unique_ptr<Answers> answers;
    std::unique_ptr<MainWindow> form;

    QAction* item(const char* name) const { return partOf<QAction>(*form, name); }
    int columnLeft() const { return partOf<TRichEdit>(*form, "RichEdit1")->FormattingRect().left(); }
    int scaled(int width) const { return qRound(width * form->scaleFactor()); }

    void answerPageSetup(std::optional<TPSRect> margins)
    {
        TCommonDialog::SetAnswerer([margins](TCommonDialog& dialog) {
            auto* setup = qobject_cast<TPageSetupDialog*>(&dialog);
            if (setup && margins)
                setup->Margins = *margins;
            return setup && margins;
        });
    }

    QString printToPdf(const QString& name)
    {
        const QString pdf = dir.filePath(name);
        AnswerPrintDialog([pdf](QPrinter& printer) { printer.setOutputFileName(pdf); });
        trigger(*form, "Print1");
        return pdf;
    }

    // The printable area's left edge on the paper, in inches.
    static double printableLeft()
    {
        const QPrinter& printer = CurrentPrinter();
        return (printer.pageRect(QPrinter::Inch).left() - printer.paperRect(QPrinter::Inch).left());
    }

private slots:
    void init() { QVERIFY(ShowFreshMainWindow(dir.filePath("config"), answers, form)); }

    void cleanup()
    {
        form.reset();
        answers.reset();
    }

    void defaultWidthOnlyPinsTheWidth()
    {
        form->resize(scaled(700), form->height());
        trigger(*form, "DefaultOnly1");
        QVERIFY(item("DefaultOnly1")->isChecked());
        QCOMPARE(form->width(), scaled(656));
        QVERIFY(!item("UsePageSetupWidth1")->isEnabled());
        QVERIFY(!item("PageSetupWidth1")->isEnabled());
        form->resize(scaled(900), form->height() + 40);
        QTRY_COMPARE(form->width(), scaled(656));
        trigger(*form, "DefaultOnly1");
        QVERIFY(!item("DefaultOnly1")->isChecked());
        QVERIFY(item("PageSetupWidth1")->isEnabled());
        form->resize(scaled(900), form->height());
        QTRY_COMPARE(form->width(), scaled(900));
    }

    void pageSetupWidthPinsThePageWidth()
    {
        trigger(*form, "PageSetupWidth1"); // from the context menu
        QCOMPARE(form->width(), scaled(770));
        QVERIFY(item("UsePageSetupWidth1")->isChecked() && item("PageSetupWidth1")->isChecked());
        for (const char* name : {"DefaultSize1", "DefaultOnly1", "DefaultWidth1"})
            QVERIFY2(!item(name)->isEnabled(), name);
        form->resize(scaled(600), form->height());
        QTRY_COMPARE(form->width(), scaled(770));
        trigger(*form, "UsePageSetupWidth1");
        QCOMPARE(form->width(), scaled(656));
        QVERIFY(!item("UsePageSetupWidth1")->isChecked() && !item("PageSetupWidth1")->isChecked());
        for (const char* name : {"DefaultSize1", "DefaultOnly1", "DefaultWidth1"})
            QVERIFY2(item(name)->isEnabled(), name);
        form->resize(scaled(700), form->height());
        trigger(*form, "DefaultWidth1");
        QCOMPARE(form->width(), scaled(656));
    }

    void pageSetupMovesTheTextColumnUntilCancelled()
    {
        const int free = columnLeft(); // 30 pixels in
        answerPageSetup(TPSRect{2000, 1000, 2000, 1000});
        trigger(*form, "PageSetup1");
        const double dpi = form->logicalDpiX();
        QVERIFY(qAbs(columnLeft() - free - ((2.0 - printableLeft()) * dpi - 30)) <= 1.5);
        answerPageSetup(std::nullopt);
        const int twoInches = columnLeft();
        trigger(*form, "PageSetup1");
        QCOMPARE(columnLeft(), twoInches);
        answerPageSetup(TPSRect{1000, 1000, 1000, 1000});
        trigger(*form, "PageSetup1");
        QVERIFY(qAbs(columnLeft() - free - ((1.0 - printableLeft()) * dpi - 30)) <= 1.5);
    }

    void printsThreePagesAnInchInBeforeAnyPageSetup()
    {
        const QStringList words = FillThreePages(*form);
        const QString pdf = printToPdf("default.pdf");
        QCOMPARE(PdfInfo(pdf, "Pages"), QString("3"));
        QCOMPARE(PdfInfo(pdf, "Title"), QString("Brakka Text Processor Document"));
        QCOMPARE(PdfWords(pdf), words);
        QVERIFY2(qAbs(PdfLeftEdge(pdf) - 72) <= 3, qPrintable(QString::number(PdfLeftEdge(pdf))));
    }

    void aPrinterThatCannotPrintIsReported()
    {
        FillThreePages(*form);
        printToPdf("missing folder/out.pdf");
        QCOMPARE(answers->asked, QStringList{"The printer could not start the document."});
    }

    void cancelledPrintWritesNothing()
    {
        TCommonDialog::SetAnswerer([](TCommonDialog&) { return false; });
        CurrentPrinter().setOutputFileName(dir.filePath("never.pdf"));
        trigger(*form, "Print1");
        QVERIFY(!QFile::exists(dir.filePath("never.pdf")));
    }
};

QTEST_MAIN(PrintingTest)
#include "tst_printing.moc"
