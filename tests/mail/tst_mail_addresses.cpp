// Addresses read from header fields and written back: quoted names, comments
// and groups never move the address; names and lists survive save and load.
#include "mail/headers/header_fields.h"
#include "mime/mimetest.h"

#include <QFile>
#include <QTest>

namespace {

// "name|address" of each entry, joined by "; ".
QByteArray listed(const TmsAddressList& list)
{
    QByteArrayList entries;
    for (qsizetype i = 0; i < list.Count(); ++i)
        entries.append(list.Items(i).Name() + '|' + list.Items(i).Address());
    return entries.join("; ");
}

QByteArray dataFile(const char* name)
{
    QFile file(qEnvironmentVariable("PV_TEST_DATA") + "/data/" + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing test data %s", name);
    return file.readAll();
}

} // namespace

class TestAddresses : public QObject {
    Q_OBJECT
private slots:
    void fieldLists_data()
    {
        QTest::addColumn<TmsHeaders>("headers");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("quoted comma") << TmsHeaders{"To: \"Doe, John\" <j@x.org>, ann@y.org"}
                                      << QByteArray("Doe, John|j@x.org; |ann@y.org");
        QTest::newRow("folded, every field") << TmsHeaders{"To: a@x.org,", " \"Roe, Ann\"", " <ann@y.org>",
                                                           "Cc: c@z.org",  "TO: d@w.org",   "Topic: e@v.org"}
                                             << QByteArray("|a@x.org; Roe, Ann|ann@y.org; |d@w.org");
        QTest::newRow("quoted angle")
            << TmsHeaders{"To: \"ceo@bank.example <ceo@bank.example>\" <attacker@evil.example>"}
            << QByteArray("ceo@bank.example <ceo@bank.example>|attacker@evil.example");
        QTest::newRow("escaped quotes") << TmsHeaders{"To: \"Say \\\"hi, <a@b>\\\"\" <s@x.org>"}
                                        << QByteArray("Say \"hi, <a@b>\"|s@x.org");
        QTest::newRow("angle in a comment") << TmsHeaders{"To: Ann (a, <spoof@x.org>) <ann@x.org>, (c) carol@x.org"}
                                            << QByteArray("Ann|ann@x.org; c|carol@x.org");
        QTest::newRow("comment as name") << TmsHeaders{"To: jo@x.org (Jo (the) Doe)"}
                                         << QByteArray("Jo (the) Doe|jo@x.org");
        QTest::newRow("groups") << TmsHeaders{"To: friends: a@x.org, B <b@y.org>;, c@z.org, undisclosed-recipients:;"}
                                << QByteArray("|a@x.org; B|b@y.org; |c@z.org");
        QTest::newRow("empty items") << TmsHeaders{"To: a@x.org,  ,", "Cc: x@y"} << QByteArray("|a@x.org");
        QTest::newRow("encoded name") << TmsHeaders{"To: =?utf-8?Q?J=C3=B6rg?= <j@x.org>"}
                                      << QByteArray("J\xC3\xB6rg|j@x.org");
        QTest::newRow("encoded angle stays name")
            << TmsHeaders{"To: =?utf-8?Q?ceo=40bank=2Eexample_=3Cceo=40bank=2Eexample=3E=2C?= <attacker@evil.example>"}
            << QByteArray("ceo@bank.example <ceo@bank.example>,|attacker@evil.example");
        QTest::newRow("angle in an encoded word")
            << TmsHeaders{"To: =?utf-8?Q?CEO_<ceo@bank.example>?= <attacker@evil.example>, =?utf-8?Q?a,b?= <c@x.org>"}
            << QByteArray("CEO <ceo@bank.example>|attacker@evil.example; a,b|c@x.org");
        QTest::newRow("comments in the angle")
            << TmsHeaders{"To: Ann <(work) ann@x.org (a>b)>, <bo(x)@y.org>"} << QByteArray("Ann|ann@x.org; |bo@y.org");
        QTest::newRow("comment after a group")
            << TmsHeaders{"To: team: a@x.org; (all of us), (only a comment)"} << QByteArray("|a@x.org");
        QTest::newRow("quoted local part") << TmsHeaders{"To: \"jo doe\"@x.org"} << QByteArray("|\"jo doe\"@x.org");
    }

    void fieldLists()
    {
        QFETCH(TmsHeaders, headers);
        TmsAddressList list;
        GetHeaderAddresses(headers, "To", list);
        QFETCH(QByteArray, expected);
        QCOMPARE(listed(list), expected);
    }

    void oneAddress_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("name and angle") << QByteArray("\"Jo Doe\" <jo@x.org>") << QByteArray("Jo Doe|jo@x.org");
        QTest::newRow("bare") << QByteArray("jo@x.org") << QByteArray("|jo@x.org");
        QTest::newRow("unclosed angle") << QByteArray("Jo Doe <jo@x.org") << QByteArray("Jo Doe <jo@x.org|");
        QTest::newRow("name after angle") << QByteArray("<jo@x.org> Jo") << QByteArray("Jo|jo@x.org");
        QTest::newRow("unquoted comma") << QByteArray("Doe, Jo <jo@x.org>") << QByteArray("Jo|jo@x.org");
        QTest::newRow("two authors") << QByteArray("A <a@x.org>, B <b@x.org>") << QByteArray("A|a@x.org");
        QTest::newRow("second angle") << QByteArray("A <a@x.org> B <b@x.org>") << QByteArray("A|a@x.org");
        QTest::newRow("empty group") << QByteArray("undisclosed-recipients:;") << QByteArray("|");
        QTest::newRow("angle in an encoded word")
            << QByteArray("=?utf-8?Q?CEO_<ceo@bank.example>?= <attacker@evil.example>")
            << QByteArray("CEO <ceo@bank.example>|attacker@evil.example");
        QTest::newRow("long") << "Name <" + QByteArray(300, 'a') + ">"
                              << "Name|" + QByteArray(255, 'a');
    }

    void oneAddress()
    {
        QFETCH(QByteArray, text);
        TmsAddressList list;
        list.Add(std::make_unique<TmsMailAddress>());
        ParseMailAddress(text, list.Items(0));
        QFETCH(QByteArray, expected);
        QCOMPARE(listed(list), expected);
    }

    // A message whose sender's quoted name holds another address.
    void spoofedSenderShowsTheRealAddress()
    {
        const auto message = decoded(dataFile("spoofed_from.eml"));
        QCOMPARE(message->Sender().Address(), QByteArray("attacker@evil.example"));
        QCOMPARE(message->Sender().Name(), QByteArray("ceo@bank.example <ceo@bank.example>"));
    }

    // Second To and Cc fields: their addresses are read once and written
    // into the one field of each kind.
    void eachAddressOnceAfterRounds()
    {
        auto message = decoded(dataFile("second_to_and_cc.eml"));
        for (int round = 0; round < 3; ++round)
            message = decoded(encoded(*message));
        QCOMPARE(listed(message->Recipients()), QByteArray("|a@x.org; Bee|b@x.org"));
        QCOMPARE(listed(message->CC()), QByteArray("|c@x.org; |d@x.org"));
        const QByteArray text = encoded(*message).toLower();
        QCOMPARE(text.count("\r\nto:"), 1);
        QCOMPARE(text.count("\r\ncc:"), 1);
    }

    // Names with specials, quotes or a second address come back as they were.
    // A list read from mail holds a bounded number of addresses, so a field
    // of millions never costs memory by the address.
    void longListsAreBounded()
    {
        TmsAddressList list;
        ParseAddressList("a@x.test, " + QByteArray("b@x.test, ").repeated(MaxListedAddresses + 5), list);
        QCOMPARE(list.Count(), MaxListedAddresses);
        QCOMPARE(list.Items(0).Address(), QByteArray("a@x.test"));
        QCOMPARE(list.Items(MaxListedAddresses - 1).Address(), QByteArray("b@x.test"));
        GetHeaderAddresses({"To: c@x.test"}, "To", list);
        QCOMPARE(list.Count(), MaxListedAddresses);
    }

    void namesSurviveSaveAndLoad()
    {
        for (const QByteArray& name :
             {QByteArray("He said \"hi\""), QByteArray("ceo@bank <ceo@bank>"), QByteArray("a\\b (c)"),
              QByteArray("Lee, Ann"), QByteArray("Ann Lee"), QByteArray("Zo\xC3\xAB <z@bank>, \"q\"")}) {
            TmsMessage message;
            message.Sender().SetName(name);
            message.Sender().SetAddress("h@x");
            message.Recipients().AddAddress("r@x", name);
            const auto loaded = decoded(encoded(message));
            QCOMPARE(listed(loaded->Recipients()), name + "|r@x");
            QCOMPARE(loaded->Sender().Name(), name);
            QCOMPARE(loaded->Sender().Address(), QByteArray("h@x"));
        }
    }
};

QTEST_GUILESS_MAIN(TestAddresses)
#include "tst_mail_addresses.moc"
