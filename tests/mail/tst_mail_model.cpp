// Addresses, attachments and their lists: limits, guessing, copies, ownership
// and the stored "Items".
#include "mail/model/message_items.h"
#include "toolkit/Registry.h"

#include <QTemporaryDir>
#include <QTest>

class TestModel : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        SetFileTypeTable(QHash<QString, QString>{{".htm", "text/html"},
                                                 {".txt", "text/plain"},
                                                 {".eml", "message/rfc822"},
                                                 {".pdf", "application/pdf"}});
    }
    void cleanup() { SetFileTypeTable(std::nullopt); }

    void addAddressKeepsArgumentOrder()
    {
        TmsAddressList list;
        QCOMPARE(list.AddAddress("jo@x.org", "Jo Doe"), 0);
        QCOMPARE(list.Items(0).Address(), QByteArray("jo@x.org"));
        QCOMPARE(list.Items(0).Name(), QByteArray("Jo Doe"));
    }

    void textsAreCutTo255Characters()
    {
        TmsMailAddress address;
        address.SetName(QByteArray(300, 'n'));
        address.SetAddress(QByteArray("\xE2\x82\xAC").repeated(300));
        QCOMPARE(address.Name(), QByteArray(255, 'n'));
        QCOMPARE(address.Address(), QByteArray("\xE2\x82\xAC").repeated(255));
        TmsAttItem item;
        item.SetContentType(QByteArray(256, 'c'));
        QCOMPARE(item.ContentType().size(), 255);
    }

    void indexErrors()
    {
        TmsAddressList addresses;
        TmsAttList attachments;
        QVERIFY_THROWS_EXCEPTION(EListError, addresses.Items(0));
        QVERIFY_THROWS_EXCEPTION(EListError, attachments.Items(-1));
        try {
            addresses.Items(3);
        } catch (const EListError& e) {
            QCOMPARE(e.Message, QStringLiteral("List index out of bounds (3)"));
        }
    }

    void contentTypeGuesses()
    {
        const struct {
            const char* name;
            const char* type;
            TAttEncoding encoding;
        } cases[] = {
            {"page.HTM", "text/html", aeQuotedPrintable},
            {"/home/u/notes.txt", "text/plain", aeQuotedPrintable},
            {"C:\\mail\\saved.eml", "message/rfc822", ae7Bit},
            {"report.pdf", "application/pdf", aeBase64},
            {"data.unknownext", "application/octet-stream", aeBase64},
            {"README", "application/octet-stream", aeBase64},
            {"dir.txt/README", "application/octet-stream", aeBase64},
            {"dir.txt\\README", "application/octet-stream", aeBase64},
        };
        for (const auto& c : cases) {
            TmsAttItem item;
            item.SetFileName(c.name);
            QCOMPARE(item.FileName(), QByteArray(c.name));
            QCOMPARE(item.ContentType(), QByteArray(c.type));
            QCOMPARE(item.Encoding(), c.encoding);
        }
    }

    void emptyFileNameKeepsTypeAndEncoding()
    {
        TmsAttItem item;
        item.SetFileName("a.htm");
        item.SetFileName("");
        QCOMPARE(item.FileName(), QByteArray());
        QCOMPARE(item.ContentType(), QByteArray("text/html"));
        QCOMPARE(item.Encoding(), aeQuotedPrintable);
    }

    void addFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("page.htm");
        WriteWholeFile(path, "<p>hi</p>");
        TmsAttList list;
        QCOMPARE(list.AddFile(path), 0);
        QCOMPARE(list.Items(0).Data().Bytes(), QByteArray("<p>hi</p>"));
        QCOMPARE(list.Items(0).Encoding(), aeQuotedPrintable);
        QVERIFY_THROWS_EXCEPTION(EFOpenError, list.AddFile(dir.filePath("missing.txt")));
        QCOMPARE(list.Count(), 1);
    }

    void assignMakesDeepCopies()
    {
        TmsAddressList addresses;
        addresses.AddAddress("a@x.org", "A");
        TmsAddressList addressCopy;
        addressCopy.AddAddress("old@x.org", "Old");
        addressCopy.Assign(addresses);
        addressCopy.Items(0).SetName("Changed");
        QCOMPARE(addressCopy.Count(), 1);
        QCOMPARE(addresses.Items(0).Name(), QByteArray("A"));

        TmsAttList attachments;
        auto item = std::make_unique<TmsAttItem>();
        item->SetFileName("a.txt");
        item->SetContentType("text/x-special");
        item->Data().Write(QByteArray("data"));
        attachments.Add(std::move(item));
        TmsAttList attachmentCopy;
        attachmentCopy.Assign(attachments);
        QCOMPARE(attachmentCopy.Items(0).ContentType(), QByteArray("text/x-special")); // no guessing
        QCOMPARE(attachmentCopy.Items(0).Data().Bytes(), QByteArray("data"));
        attachmentCopy.Items(0).Data().Write(QByteArray("more"));
        QCOMPARE(attachments.Items(0).Data().Bytes(), QByteArray("data"));
    }

    void assignFromAnotherKindFails()
    {
        TmsMailAddress address;
        address.SetName("kept");
        TmsAttItem item;
        try {
            address.Assign(item);
            QFAIL("no error");
        } catch (const EConvertError& e) {
            QCOMPARE(e.Message, QStringLiteral("Cannot assign a TmsAttItem to a TmsMailAddress"));
        }
        QCOMPARE(address.Name(), QByteArray("kept"));
        TmsAddressList list;
        QVERIFY_THROWS_EXCEPTION(EConvertError, list.Assign(TmsAttList()));
    }

    void storedItemsRoundTrip()
    {
        TmsAddressList addresses;
        addresses.AddAddress("a@x.org", "A");
        addresses.AddAddress("b@x.org", "");
        addresses.AddAddress("a@x.org", "A");
        TmsAddressList restoredAddresses;
        ReadProperties(restoredAddresses, WriteProperties(addresses));
        QCOMPARE(restoredAddresses.Count(), 3);
        QCOMPARE(restoredAddresses.Items(1).Address(), QByteArray("b@x.org"));
        QCOMPARE(restoredAddresses.Items(2).Name(), QByteArray("A"));

        TmsAttList attachments;
        auto item = std::make_unique<TmsAttItem>();
        item->SetFileName("page.htm");
        item->SetContentType("application/x-custom");
        item->SetEncoding(aeBase64);
        attachments.Add(std::move(item));
        const QByteArray stored = WriteProperties(attachments);
        SetFileTypeTable(QHash<QString, QString>{{".htm", "text/plain"}});
        TmsAttList restored;
        ReadProperties(restored, stored);
        QCOMPARE(restored.Items(0).FileName(), QByteArray("page.htm"));
        QCOMPARE(restored.Items(0).ContentType(), QByteArray("application/x-custom"));
        QCOMPARE(restored.Items(0).Encoding(), aeBase64);
    }

    void emptyListsStoreNoItems()
    {
        TmsAddressList empty;
        TmsAddressList target;
        target.AddAddress("x@y.z", "");
        ReadProperties(target, WriteProperties(empty));
        QCOMPARE(target.Count(), 1); // no "Items" stored, so nothing was read
        TmsAttList noAttachments;
        QCOMPARE(WriteProperties(empty), WriteProperties(noAttachments));
    }

    void damagedStoredFormFails()
    {
        TmsAddressList list;
        list.AddAddress("a@x.org", "A");
        QByteArray stored = WriteProperties(list);
        QVERIFY_THROWS_EXCEPTION(EReadError, ReadProperties(list, stored.left(stored.size() - 3)));
        QVERIFY_THROWS_EXCEPTION(EReadError, ReadProperties(list, "junk"));
    }
};

QTEST_GUILESS_MAIN(TestModel)
#include "tst_mail_model.moc"
