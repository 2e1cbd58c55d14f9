// Other programs read our RTF: LibreOffice keeps text and character formats,
// pandoc keeps the text of ASCII documents.
#include "RichEditTestSupport.h"
#include "toolkit/rtf/RtfWriter.h"

#include <QHash>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

namespace {

using Properties = QHash<QString, QString>;

struct Span {
    QString text;
    Properties properties;
};

QTextCharFormat styled(int style, const QColor& color = {}, int points = 0, const QString& font = {})
{
    QTextCharFormat f;
    f.setFontWeight(style & Bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(style & Italic);
    f.setFontUnderline(style & Underline);
    f.setFontStrikeOut(style & StrikeOut);
    if (color.isValid())
        f.setForeground(color);
    if (points)
        f.setFontPointSize(points);
    if (!font.isEmpty())
        f.setFontFamilies({font});
    return f;
}

void fill(QTextDocument& doc, const QList<QPair<QString, QTextCharFormat>>& runs)
{
    QFont font("Arial");
    font.setPixelSize(13);
    doc.setDefaultFont(font);
    QTextCursor c(&doc);
    for (const auto& [text, format] : runs)
        c.insertText(text, format);
}

// Runs program in dir; its standard output, or why it failed.
QByteArray run(const QString& program, const QStringList& arguments, const QString& dir, bool* ok)
{
    QProcess process;
    process.setWorkingDirectory(dir);
    process.start(program, arguments);
    *ok = process.waitForFinished(180000) && process.exitStatus() == QProcess::NormalExit
       && process.exitCode() == 0;
    return *ok ? process.readAllStandardOutput() : process.readAllStandardError();
}

// The paragraphs of a flat ODF text document, split into spans carrying the
// text properties of their automatic style.
QList<QList<Span>> paragraphsOf(const QByteArray& fodt)
{
    QHash<QString, Properties> styles;
    QList<QList<Span>> paragraphs;
    QString styleName;
    bool inParagraph = false;
    QXmlStreamReader xml(fodt);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const auto attributes = xml.attributes();
            const QStringView name = xml.qualifiedName();
            if (name == u"style:style") {
                styleName = attributes.value("style:name").toString();
            } else if (name == u"style:text-properties") {
                for (const auto& a : attributes)
                    styles[styleName].insert(a.qualifiedName().toString(), a.value().toString());
            } else if (name == u"text:p") {
                inParagraph = true;
                paragraphs.append({Span{{}, styles.value(attributes.value("text:style-name").toString())}});
            } else if (name == u"text:span" && inParagraph) {
                paragraphs.last().append({{}, styles.value(attributes.value("text:style-name").toString())});
            } else if (name == u"text:tab" && inParagraph) {
                paragraphs.last().last().text += u'\t';
            }
        } else if (xml.isEndElement() && xml.qualifiedName() == u"text:p") {
            inParagraph = false;
        } else if (xml.isEndElement() && xml.qualifiedName() == u"text:span" && inParagraph) {
            paragraphs.last().append({{}, paragraphs.last().first().properties});
        } else if (xml.isCharacters() && inParagraph) {
            paragraphs.last().last().text += xml.text();
        }
    }
    return paragraphs;
}

} // namespace

class TestRtfPeer : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    QString save(const QTextDocument& doc, const QString& name)
    {
        QFile file(dir.filePath(name));
        if (file.open(QIODevice::WriteOnly))
            file.write(Rtf::write(doc));
        return file.fileName();
    }

private slots:
    void libreOfficeReadsTextAndFormats()
    {
        const QString soffice = QStandardPaths::findExecutable("soffice");
        if (soffice.isEmpty())
            QSKIP("LibreOffice is not installed");
        QTextDocument doc;
        fill(doc, {{"Plain ", styled(0)}, {"Bold", styled(Bold)}, {" ", styled(0)},
                   {"Italic", styled(Italic)}, {" ", styled(0)}, {"Under", styled(Underline)}, {" ", styled(0)},
                   {"Strike", styled(StrikeOut)}, {" ", styled(0)}, {"Red", styled(0, QColor(255, 0, 0))},
                   {" ", styled(0)}, {"Big", styled(0, {}, 20)}, {" ", styled(0)},
                   {"Courier", styled(0, {}, 0, "Courier New")},
                   {"\nÜnïcödé Жж \U0001F600", styled(Bold | Italic, QColor(0, 128, 255), 14, "Times New Roman")},
                   {"\tafter {tab} \\", styled(0)}});
        const QString rtf = save(doc, "formats.rtf");
        bool ok = false;
        const QByteArray error = run(soffice, {"-env:UserInstallation=file://" + dir.filePath("profile"),
                                               "--headless", "--convert-to", "fodt", "--outdir", dir.path(), rtf},
                                     dir.path(), &ok);
        QVERIFY2(ok, error.constData());
        QFile converted(dir.filePath("formats.fodt"));
        QVERIFY(converted.open(QIODevice::ReadOnly));
        const QList<QList<Span>> paragraphs = paragraphsOf(converted.readAll());

        QStringList texts;
        QHash<QString, Properties> byText;
        for (const QList<Span>& paragraph : paragraphs) {
            QString text;
            for (const Span& span : paragraph) {
                text += span.text;
                byText.insert(span.text, span.properties);
            }
            texts << text;
        }
        QCOMPARE(texts.join(u'\n'), doc.toPlainText());

        const auto property = [&](const QString& text, const char* name) {
            return byText.value(text).value(QLatin1String(name));
        };
        QCOMPARE(property("Bold", "fo:font-weight"), QStringLiteral("bold"));
        QCOMPARE(property("Italic", "fo:font-style"), QStringLiteral("italic"));
        QCOMPARE(property("Under", "style:text-underline-style"), QStringLiteral("solid"));
        QCOMPARE(property("Strike", "style:text-line-through-style"), QStringLiteral("solid"));
        QCOMPARE(property("Red", "fo:color"), QStringLiteral("#ff0000"));
        QCOMPARE(property("Big", "fo:font-size"), QStringLiteral("20pt"));
        QCOMPARE(property("Courier", "style:font-name"), QStringLiteral("Courier New"));
        QCOMPARE(property("Plain ", "fo:font-weight"), QString());
        QCOMPARE(property("Plain ", "fo:font-size"), QStringLiteral("10pt"));
        QCOMPARE(property("Plain ", "style:font-name"), QStringLiteral("Arial"));
        const QString unicode = QStringLiteral("Ünïcödé Жж \U0001F600");
        QCOMPARE(property(unicode, "fo:font-weight"), QStringLiteral("bold"));
        QCOMPARE(property(unicode, "fo:font-style"), QStringLiteral("italic"));
        QCOMPARE(property(unicode, "fo:color"), QStringLiteral("#0080ff"));
        QCOMPARE(property(unicode, "fo:font-size"), QStringLiteral("14pt"));
        QCOMPARE(property(unicode, "style:font-name"), QStringLiteral("Times New Roman"));
    }

    void pandocReadsAsciiText()
    {
        const QString pandoc = QStandardPaths::findExecutable("pandoc");
        if (pandoc.isEmpty())
            QSKIP("pandoc is not installed");
        QTextDocument doc;
        fill(doc, {{"Plain text with {braces} and back\\slash, ", styled(0)}, {"Bold", styled(Bold)},
                   {" and ", styled(0)}, {"Italic", styled(Italic)},
                   {"\nSecond paragraph, coloured.", styled(Underline, Qt::blue, 16, "Courier New")}});
        const QString rtf = save(doc, "ascii.rtf");
        bool ok = false;
        const QByteArray plain = run(pandoc, {"-f", "rtf", "-t", "plain", "--wrap=none", rtf}, dir.path(), &ok);
        QVERIFY2(ok, plain.constData());
        QCOMPARE(QString::fromUtf8(plain).split(u'\n', Qt::SkipEmptyParts),
                 doc.toPlainText().split(u'\n'));
        const QByteArray html = run(pandoc, {"-f", "rtf", "-t", "html", rtf}, dir.path(), &ok);
        QVERIFY2(ok, html.constData());
        QVERIFY2(html.contains("<strong>Bold</strong>") && html.contains("<em>Italic</em>"), html.constData());
    }
};

QTEST_MAIN(TestRtfPeer)
#include "tst_rtfpeer.moc"
