// Printing from the main window to a real print system: a private CUPS with a
// PDF printer (scripts/pdfprinter), whose PDF files poppler's tools read back.
#include "Answers.h"
#include "FreshWindow.h"
#include "PrintFixture.h"
#include "WindowParts.h"

#include "widgets/CurrentPrinter.h"
#include "widgets/PageSetupDialog.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

class PrintingE2eTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString printerName, outDir;
    std::unique_ptr<Answers> answers;
    std::unique_ptr<MainWindow> form;

    // Prints through the window and waits, bounded, for the printer's file.
    QString printAndCollect()
    {
        const QStringList before = QDir(outDir).entryList({"*.pdf"}, QDir::Files);
        AnswerPrintDialog([this](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::NativeFormat);
            printer.setPrinterName(printerName);
        });
        trigger(*form, "Print1");
        QDeadlineTimer deadline(60000);
        while (!deadline.hasExpired()) {
            for (const QString& name : QDir(outDir).entryList({"*.pdf"}, QDir::Files, QDir::Time))
                if (!before.contains(name) && !PdfInfo(QDir(outDir).filePath(name), "Pages").isEmpty())
                    return QDir(outDir).filePath(name);
            QTest::qWait(200);
        }
        return {};
    }

private slots:
    void initTestCase()
    {
        const QString env = qEnvironmentVariable("PV_PDFPRINTER") + "/printer.env";
        QVERIFY2(QFile::exists(env), "the PDF printer fixture is not running");
        QSettings settings(env, QSettings::IniFormat);
        printerName = settings.value("PRINTER").toString();
        outDir = settings.value("OUT").toString();
    }

    void init() { QVERIFY(ShowFreshMainWindow(dir.filePath("config"), answers, form)); }

    void cleanup()
    {
        form.reset();
        answers.reset();
    }

    void printsEveryWordOnThreePagesAnInchIn()
    {
        const QStringList words = FillThreePages(*form);
        const QString pdf = printAndCollect();
        QVERIFY2(!pdf.isEmpty(), "the printer wrote no file");
        QVERIFY2(QFileInfo(pdf).fileName().startsWith("Brakka_Text_Processor_Document"), qPrintable(pdf));
        QCOMPARE(PdfInfo(pdf, "Pages"), QString("3"));
        QCOMPARE(PdfWords(pdf), words);
        QVERIFY2(qAbs(PdfLeftEdge(pdf) - 72) <= 4, qPrintable(QString::number(PdfLeftEdge(pdf))));
    }

    void printsWithTwoInchPageSetup()
    {
        const QStringList words = FillThreePages(*form);
        CurrentPrinter().setPrinterName(printerName);
        TCommonDialog::SetAnswerer([](TCommonDialog& dialog) {
            static_cast<TPageSetupDialog&>(dialog).Margins = {2000, 1000, 1000, 1000};
            return true;
        });
        trigger(*form, "PageSetup1");
        const QString pdf = printAndCollect();
        QVERIFY2(!pdf.isEmpty(), "the printer wrote no file");
        QVERIFY2(QFileInfo(pdf).fileName().startsWith("Brakka_Text_Editor_Document"), qPrintable(pdf));
        QCOMPARE(PdfWords(pdf), words);
        QVERIFY2(qAbs(PdfLeftEdge(pdf) - 144) <= 4, qPrintable(QString::number(PdfLeftEdge(pdf))));
    }
};

QTEST_MAIN(PrintingE2eTest)
#include "tst_printing_e2e.moc"
