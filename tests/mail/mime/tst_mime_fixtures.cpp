// Messages as other mailers write them (tests/mail/fixtures, made with
// Python's email package) decode to what Python reads from them. Shapes the
// model has no place for only need every part's data to stay reachable.
#include "mimetest.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

namespace {

QString fixturePath(const QString& name)
{
    return qEnvironmentVariable("PV_TEST_DATA") + QStringLiteral("/../fixtures/") + name;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return file.readAll();
}

QByteArray lf(QByteArray text)
{
    return text.replace("\r\n", "\n");
}

// Text parts may come back with either line end.
QByteArray comparable(const QByteArray& data, const QString& type)
{
    return type.startsWith(QStringLiteral("text/")) ? lf(data) : data;
}

QString str(const QJsonObject& o, const char* key)
{
    return o[QLatin1String(key)].toString();
}

void compareAddress(const TmsMailAddress& address, const QJsonValue& expected)
{
    QCOMPARE(QString::fromUtf8(address.Name()), expected.toArray().at(0).toString());
    QCOMPARE(QString::fromUtf8(address.Address()), expected.toArray().at(1).toString());
}

void compareParts(const TmsMessage& m, const QJsonArray& leaves)
{
    QCOMPARE(m.Attachments().Count(), leaves.size());
    for (qsizetype i = 0; i < leaves.size(); ++i) {
        const QJsonObject leaf = leaves.at(i).toObject();
        const TmsAttItem& item = m.Attachments().Items(i);
        const QByteArray expected = QByteArray::fromBase64(str(leaf, "data").toLatin1());
        QCOMPARE(comparable(item.Data().Bytes(), str(leaf, "type")), comparable(expected, str(leaf, "type")));
        if (leaf[QStringLiteral("name")].isNull())
            QVERIFY2(item.FileName().startsWith("_alt."), item.FileName().constData());
        else
            QCOMPARE(QString::fromUtf8(item.FileName()), str(leaf, "name"));
    }
}

bool reachable(const TmsMessage& m, const QByteArray& data, const QByteArray& text)
{
    if (lf(m.Body().Text()).contains(lf(data)))
        return true;
    for (qsizetype i = 0; i < m.Attachments().Count(); ++i) {
        const TmsAttItem& item = m.Attachments().Items(i);
        if (lf(item.Data().Bytes()).contains(lf(data)))
            return true;
        if (item.FileName() == "original.eml" && item.Data().Bytes() == text)
            return true;
    }
    return false;
}

} // namespace

class TestFixtures : public QObject {
    Q_OBJECT
private slots:
    void decodesAsPythonReads_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QJsonObject>("expected");
        const QJsonObject table =
            QJsonDocument::fromJson(readFile(fixturePath(QStringLiteral("expected.json")))).object();
        QVERIFY(table.size() >= 14);
        for (auto it = table.begin(); it != table.end(); ++it)
            QTest::newRow(qPrintable(it.key())) << it.key() << it.value().toObject();
    }

    void decodesAsPythonReads()
    {
        QFETCH(QString, file);
        QFETCH(QJsonObject, expected);
        const QByteArray text = readFile(fixturePath(file));
        const auto m = decoded(text);
        QCOMPARE(QString::fromUtf8(m->Subject()), str(expected, "subject"));
        compareAddress(m->Sender(), expected[QStringLiteral("from")]);
        const QJsonArray to = expected[QStringLiteral("to")].toArray();
        QCOMPARE(m->Recipients().Count(), to.size());
        for (qsizetype i = 0; i < to.size(); ++i)
            compareAddress(m->Recipients().Items(i), to.at(i));
        const QJsonArray leaves = expected[QStringLiteral("leaves")].toArray();
        if (str(expected, "shape") == QStringLiteral("exact")) {
            QCOMPARE(QString::fromUtf8(lf(m->Body().Text())), str(expected, "body"));
            compareParts(*m, leaves);
            return;
        }
        for (const QJsonValue& value : leaves) {
            const QJsonObject leaf = value.toObject();
            const QByteArray data = QByteArray::fromBase64(str(leaf, "data").toLatin1());
            const QByteArray raw = QByteArray::fromBase64(str(leaf, "raw").toLatin1());
            QVERIFY2(reachable(*m, data, text) || reachable(*m, raw, text), qPrintable(str(leaf, "type")));
        }
    }
};

QTEST_GUILESS_MAIN(TestFixtures)
#include "tst_mime_fixtures.moc"
