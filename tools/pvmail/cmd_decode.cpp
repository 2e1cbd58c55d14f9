// pvmail decode FILE [--save-attachments DIR]
#include "mail/msmsg.h"
#include "tools/pvmail/pvcommand.h"
#include "tools/pvmail/pvjson.h"

#include <QDir>
#include <QJsonDocument>

namespace {

const char help[] = "Usage: pvmail decode FILE [--save-attachments DIR]\n"
                    "\n"
                    "Reads the Internet message text in FILE and prints the message as one JSON\n"
                    "object: from, sender, to, cc, subject, priority, returnReceipt, encoding,\n"
                    "charset, contentType, headers, body and attachments (fileName, contentType,\n"
                    "encoding, size, sha256).\n"
                    "\n"
                    "  --save-attachments DIR  also write each attachment into DIR under its name\n";

int run(const QStringList& arguments)
{
    if (PvWantsHelp(DecodeCommand, arguments))
        return PvOk;
    QStringList rest = arguments;
    QString directory;
    if (const qsizetype at = rest.indexOf(QStringLiteral("--save-attachments")); at >= 0) {
        if (at + 1 >= rest.size())
            return PvError("decode", QStringLiteral("--save-attachments needs a directory")), PvUsage;
        directory = rest.at(at + 1);
        rest.remove(at, 2);
    }
    if (rest.size() != 1 || rest.first().startsWith(QLatin1Char('-')))
        return PvError("decode", QStringLiteral("expected one FILE (see --help)")), PvUsage;
    try {
        TmsMessage message;
        message.LoadFromFile(rest.first());
        if (!directory.isEmpty()) {
            if (!QDir().mkpath(directory))
                return PvError("decode", QStringLiteral("cannot create directory %1").arg(directory));
            for (qsizetype i = 0; i < message.Attachments().Count(); ++i)
                message.SaveAttachment(i, directory);
        }
        std::fputs(QJsonDocument(MessageToJson(message)).toJson(QJsonDocument::Indented).constData(), stdout);
        return PvOk;
    } catch (const Exception& e) {
        return PvError("decode", e.Message);
    }
}

} // namespace

const PvCommand DecodeCommand{"decode", "print a message file as JSON", help, run};
