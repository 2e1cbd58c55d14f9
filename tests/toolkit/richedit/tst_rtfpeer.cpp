// Other programs read our RTF: LibreOffice keeps text, character and
// paragraph formats, pandoc keeps the text, and both keep pictures, tables
// and links. And we read a word processor's RTF as LibreOffice reads it.
#include "RichEditTestSupport.h"
#include "toolkit/rtf/RtfReader.h"
#include "toolkit/rtf/RtfWriter.h"

#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
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
    *ok = process.waitForFinished(180000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
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
            } else if (name == u"text:s" && inParagraph) {
                paragraphs.last().last().text += QString(qMax(1, attributes.value("text:c").toInt()), u' ');
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

// Paragraphs of LibreOffice's HTML export: each one's align and style
// attributes, and its text split into runs of equal character formats,
// white space collapsed. A run's properties: "b", "i", "u", "color", "face"
// and "size" as the innermost enclosing element gives them.
struct HtmlParagraph {
    Properties properties;
    QList<Span> runs;
};

QList<HtmlParagraph> htmlParagraphsOf(const QString& html)
{
    static const QRegularExpression token(QStringLiteral("<(/?)(\\w+)([^>]*)>|([^<]+)"));
    static const QRegularExpression attribute(QStringLiteral("([\\w-]+)=\"([^\"]*)\""));
    static const QRegularExpression declaration(QStringLiteral("([\\w-]+):\\s*([^;]+)"));
    QList<HtmlParagraph> paragraphs;
    QList<Properties> open; // the properties each open element adds
    for (const auto& m : token.globalMatch(html.mid(html.indexOf(u"<body")))) {
        const QString tag = m.captured(2).toLower();
        if (!m.captured(4).isEmpty()) {
            if (paragraphs.isEmpty())
                continue;
            Properties properties;
            for (const Properties& p : std::as_const(open))
                properties.insert(p);
            QString text = m.captured(4).simplified().replace(QLatin1String("&amp;"), QLatin1String("&"));
            if (text.isEmpty() && m.captured(4).size() > 0)
                text = u' ';
            QList<Span>& runs = paragraphs.last().runs;
            if (!runs.isEmpty() && runs.last().properties == properties)
                runs.last().text += text;
            else
                runs.append({text, properties});
        } else if (!m.captured(1).isEmpty()) {
            if (tag != u"br" && !open.isEmpty())
                open.removeLast();
        } else if (tag != u"br" && tag != u"meta" && tag != u"img") {
            Properties attributes, properties;
            for (const auto& a : attribute.globalMatch(m.captured(3)))
                attributes.insert(a.captured(1), a.captured(2));
            for (const auto& d : declaration.globalMatch(attributes.value("style")))
                attributes.insert(d.captured(1), d.captured(2).trimmed());
            if (tag == u"p")
                paragraphs.append({attributes, {}});
            if (tag == u"b" || tag == u"i" || tag == u"u")
                properties.insert(tag, tag);
            if (tag == u"font") {
                if (attributes.contains("color"))
                    properties.insert("color", attributes.value("color"));
                if (attributes.contains("face"))
                    properties.insert("face", attributes.value("face").section(u',', 0, 0));
                if (attributes.contains("font-size"))
                    properties.insert("size", attributes.value("font-size"));
            }
            open.append(properties);
        }
    }
    return paragraphs;
}

// A length of LibreOffice's HTML ("0.5in") in pixels at 96 per inch.
double pixelsOf(const QString& length)
{
    return length.endsWith(u"in") ? length.chopped(2).toDouble() * 96 : -1;
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

    // LibreOffice's conversion of the file rtf to format (a filter as
    // --convert-to takes it), read from the file it writes.
    QByteArray convert(const QString& rtf, const QString& format, const QString& extension)
    {
        bool ok = false;
        const QByteArray error = run(QStandardPaths::findExecutable("soffice"),
                                     {"-env:UserInstallation=file://" + dir.filePath("profile"), "--headless",
                                      "--convert-to", format, "--outdir", dir.path(), rtf},
                                     dir.path(), &ok);
        if (!ok)
            qWarning("%s", error.constData());
        QFile converted(dir.filePath(QFileInfo(rtf).completeBaseName() + u'.' + extension));
        return converted.open(QIODevice::ReadOnly) ? converted.readAll() : QByteArray();
    }

private slots:
    void libreOfficeReadsTextAndFormats()
    {
        if (QStandardPaths::findExecutable("soffice").isEmpty())
            QSKIP("LibreOffice is not installed");
        QTextDocument doc;
        fill(doc, {{"Plain  two spaces ", styled(0)},
                   {"Bold", styled(Bold)},
                   {" ", styled(0)},
                   {"Italic", styled(Italic)},
                   {" ", styled(0)},
                   {"Under", styled(Underline)},
                   {" ", styled(0)},
                   {"Strike", styled(StrikeOut)},
                   {" ", styled(0)},
                   {"Red", styled(0, QColor(255, 0, 0))},
                   {" ", styled(0)},
                   {"Big", styled(0, {}, 20)},
                   {" ", styled(0)},
                   {"Courier", styled(0, {}, 0, "Courier New")},
                   {"\nÜnïcödé Жж \U0001F600", styled(Bold | Italic, QColor(0, 128, 255), 14, "Times New Roman")},
                   {"\tafter {tab} \\", styled(0)}});
        const QList<QList<Span>> paragraphs = paragraphsOf(convert(save(doc, "formats.rtf"), "fodt", "fodt"));

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
        const QString plain = QStringLiteral("Plain  two spaces ");
        QCOMPARE(property(plain, "fo:font-weight"), QString());
        QCOMPARE(property(plain, "fo:font-size"), QStringLiteral("10pt"));
        QCOMPARE(property(plain, "style:font-name"), QStringLiteral("Arial"));
        const QString unicode = QStringLiteral("Ünïcödé Жж \U0001F600");
        QCOMPARE(property(unicode, "fo:font-weight"), QStringLiteral("bold"));
        QCOMPARE(property(unicode, "fo:font-style"), QStringLiteral("italic"));
        QCOMPARE(property(unicode, "fo:color"), QStringLiteral("#0080ff"));
        QCOMPARE(property(unicode, "fo:font-size"), QStringLiteral("14pt"));
        QCOMPARE(property(unicode, "style:font-name"), QStringLiteral("Times New Roman"));
    }

    // A document formatted with every command of the editor, saved and opened
    // in LibreOffice: every run and paragraph keeps its formats there. (Our
    // own reading of such documents is the writer test's round trip.)
    void theUsersDocumentKeepsItsRunsAndParagraphs()
    {
        if (QStandardPaths::findExecutable("soffice").isEmpty())
            QSKIP("LibreOffice is not installed");
        struct Run {
            QString text;
            int style;
            QColor color;
            int points;
            QString font;
        };
        const QColor red(255, 0, 0), blue(0, 128, 255);
        const QList<QList<Run>> paragraphs = {
            {{"Bold", Bold, {}, 10, "Arial"},
             {" then", 0, {}, 10, "Arial"},
             {"Italic red", Italic, red, 14, "Arial"},
             {"Under blue", Underline, blue, 24, "Courier New"}},
            {{"All three", Bold | Italic | Underline, {}, 10, "Courier New"}, {" plain", 0, {}, 10, "Arial"}},
            {{"Right", 0, red, 14, "Arial"}},
        };
        QList<QTextBlockFormat> formats(3);
        formats[0].setAlignment(Qt::AlignHCenter);
        formats[0].setTopMargin(16);
        formats[1].setLeftMargin(48);
        formats[1].setTextIndent(-24);
        formats[1].setLineHeight(150, QTextBlockFormat::ProportionalHeight);
        formats[2].setAlignment(Qt::AlignRight);
        formats[2].setBottomMargin(8);
        formats[2].setLineHeight(20, QTextBlockFormat::FixedHeight);
        QTextDocument doc;
        fill(doc, {});
        QTextCursor c(&doc);
        for (qsizetype i = 0; i < paragraphs.size(); ++i) {
            if (i > 0)
                c.insertBlock();
            c.setBlockFormat(formats[i]);
            for (const Run& r : paragraphs[i])
                c.insertText(r.text, styled(r.style, r.color, r.points, r.font));
        }
        const QByteArray converted = convert(save(doc, "document.rtf"), "html", "html");
        const QList<HtmlParagraph> html = htmlParagraphsOf(QString::fromUtf8(converted));
        QCOMPARE(html.size(), paragraphs.size());
        for (qsizetype i = 0; i < paragraphs.size(); ++i) {
            for (const Run& r : paragraphs[i]) {
                const auto span = std::find_if(html[i].runs.cbegin(), html[i].runs.cend(),
                                               [&](const Span& s) { return s.text.contains(r.text.trimmed()); });
                QVERIFY2(span != html[i].runs.cend(), qPrintable(r.text));
                const Properties& p = span->properties;
                const QString what = r.text + u' ' + QStringList(p.keys() + p.values()).join(u',');
                QVERIFY2(p.contains("b") == bool(r.style & Bold), qPrintable(what));
                QVERIFY2(p.contains("i") == bool(r.style & Italic), qPrintable(what));
                QVERIFY2(p.contains("u") == bool(r.style & Underline), qPrintable(what));
                QVERIFY2(p.value("size") == QStringLiteral("%1pt").arg(r.points), qPrintable(what));
                QVERIFY2(p.value("face") == r.font, qPrintable(what));
                if (r.color.isValid())
                    QVERIFY2(p.value("color") == r.color.name(), qPrintable(what));
            }
        }
        const auto length = [&](int paragraph, const char* name) {
            return pixelsOf(html[paragraph].properties.value(QLatin1String(name)));
        };
        QCOMPARE(html[0].properties.value("align"), QStringLiteral("center"));
        QCOMPARE(qRound(length(0, "margin-top")), 16);
        QCOMPARE(qRound(length(1, "margin-left")), 48);
        QCOMPARE(qRound(length(1, "text-indent")), -24);
        QCOMPARE(html[1].properties.value("line-height"), QStringLiteral("150%"));
        QCOMPARE(html[2].properties.value("align"), QStringLiteral("right"));
        QCOMPARE(qRound(length(2, "margin-bottom")), 8);
        QCOMPARE(qRound(length(2, "line-height")), 20);
    }

    // What LibreOffice's text export shows of a word processor's lists,
    // footnotes and tables, white space aside: we show it too.
    void readsWordProcessorFilesAsLibreOfficeDoes()
    {
        if (QStandardPaths::findExecutable("soffice").isEmpty())
            QSKIP("LibreOffice is not installed");
        QFile file(dir.filePath("wordprocessor.rtf"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(sample("wordprocessor.rtf"));
        file.close();
        QTextDocument doc;
        QVERIFY(Rtf::read(sample("wordprocessor.rtf"), doc));
        QString theirs = QString::fromUtf8(convert(file.fileName(), "txt:Text (encoded):UTF8", "txt"));
        theirs.remove(QChar(0xFEFF));
        QVERIFY(!theirs.isEmpty());
        QCOMPARE(doc.toPlainText().simplified(), theirs.simplified());
    }

    // A word processor's file with a picture, a 2×2 table and a link, opened,
    // edited and saved, keeps all three for LibreOffice and pandoc.
    void pictureTableAndLinkSurviveAnEdit()
    {
        if (QStandardPaths::findExecutable("soffice").isEmpty())
            QSKIP("LibreOffice is not installed");
        QImage image(40, 30, QImage::Format_RGB32);
        image.fill(Qt::red);
        QVERIFY(image.save(dir.filePath("picture.png")));
        QFile html(dir.filePath("source.html"));
        QVERIFY(html.open(QIODevice::WriteOnly));
        html.write(
            "<p>Intro <a href=\"https://example.org/page\">the link</a></p><p><img src=\"picture.png\" "
            "width=\"40\" height=\"30\"></p><table border=\"1\"><tr><td>a1</td><td>b1</td></tr><tr><td>a2</td>"
            "<td>b2</td></tr></table><p>end</p>");
        html.close();
        bool ok = false;
        const QByteArray error = run(QStandardPaths::findExecutable("soffice"),
                                     {"-env:UserInstallation=file://" + dir.filePath("profile"), "--headless",
                                      "--infilter=HTML (StarWriter)", "--convert-to", "rtf", "--outdir", dir.path(),
                                      html.fileName()},
                                     dir.path(), &ok);
        QVERIFY2(ok, error.constData());
        QFile theirs(dir.filePath("source.rtf"));
        QVERIFY(theirs.open(QIODevice::ReadOnly));
        QTextDocument doc;
        QVERIFY(Rtf::read(theirs.readAll(), doc));
        QTextCursor(&doc).insertText(QStringLiteral("Edited. "));
        const QString rtf = save(doc, "edited.rtf");

        const QByteArray back = convert(rtf, "html:HTML (StarWriter)", "html");
        QVERIFY2(back.contains("<img "), back.constData());
        QCOMPARE(back.count("<td"), 4);
        QVERIFY2(back.contains("href=\"https://example.org/page\""), back.constData());
        QVERIFY(back.contains("Edited."));

        const QString pandoc = QStandardPaths::findExecutable("pandoc");
        if (pandoc.isEmpty())
            QSKIP("pandoc is not installed");
        const QByteArray fromPandoc = run(pandoc, {"-f", "rtf", "-t", "html", rtf}, dir.path(), &ok);
        QVERIFY2(ok, fromPandoc.constData());
        QVERIFY2(fromPandoc.contains("<img ") && fromPandoc.count("<td") == 4
                     && fromPandoc.contains("href=\"https://example.org/page\""),
                 fromPandoc.constData());
    }

    void pandocReadsText()
    {
        const QString pandoc = QStandardPaths::findExecutable("pandoc");
        if (pandoc.isEmpty())
            QSKIP("pandoc is not installed");
        QTextDocument doc;
        fill(doc, {{"Plain text with {braces}, back\\slash and café €, ", styled(0)},
                   {"Bold", styled(Bold)},
                   {" and ", styled(0)},
                   {"Italic", styled(Italic)},
                   {"\nSecond paragraph, coloured.", styled(Underline, Qt::blue, 16, "Courier New")}});
        const QString rtf = save(doc, "text.rtf");
        bool ok = false;
        const QByteArray plain = run(pandoc, {"-f", "rtf", "-t", "plain", "--wrap=none", rtf}, dir.path(), &ok);
        QVERIFY2(ok, plain.constData());
        QCOMPARE(QString::fromUtf8(plain).split(u'\n', Qt::SkipEmptyParts), doc.toPlainText().split(u'\n'));
        const QByteArray html = run(pandoc, {"-f", "rtf", "-t", "html", rtf}, dir.path(), &ok);
        QVERIFY2(ok, html.constData());
        QVERIFY2(html.contains("<strong>Bold</strong>") && html.contains("<em>Italic</em>"), html.constData());
    }
};

QTEST_MAIN(TestRtfPeer)
#include "tst_rtfpeer.moc"
