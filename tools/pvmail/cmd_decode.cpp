// pvmail decode FILE [--save-attachments DIR]
#include "mail/model/message.h"
#include "mail/store/mail_streams.h"
#include "tools/pvmail/pvcommand.h"
#include "tools/pvmail/pvjson.h"
#include "toolkit/Exception.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>

#include <cstdio>

namespace {

const char help[] =
    "Usage: pvmail decode FILE [--save-attachments DIR]\n"
    "\n"
    "Reads the Internet message text in FILE (\"-\": standard input; pipes are\n"
    "read to their end) and prints the message as one JSON object: from, sender,\n"
    "to, cc, subject, priority, returnReceipt, encoding, charset, contentType,\n"
    "headers, body and attachments (fileName, contentType, encoding, size, sha256).\n"
    "An empty input is an error.\n"
    "\n"
    "  --save-attachments DIR  also write each attachment into DIR under its name;\n"
    "                          a name already there gets \" (2)\", \" (3)\", ... and\n"
    "                          control characters in names become \"_\"\n";

QByteArray readInput(const QString& name)
{
    if (name == QLatin1String("-")) {
        QFile input;
        if (!input.open(stdin, QIODevice::ReadOnly))
            throw EFOpenError(Errors::FileOpen(QStringLiteral("standard input"), input.errorString()));
        return input.readAll();
    }
    TFileStream file(name, TFileStream::fmOpenRead);
    return ReadToEnd(file);
}

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
    if (rest.size() != 1 || (rest.first().startsWith(QLatin1Char('-')) && rest.first() != QLatin1String("-")))
        return PvError("decode", QStringLiteral("expected one FILE (see --help)")), PvUsage;
    try {
        TmsMessage message;
        { // the input text is freed before the message is printed
            TMemoryStream text(readInput(rest.first()));
            if (text.Size() == 0)
                return PvError("decode",
                               QStringLiteral("%1 is empty: there is no message to decode").arg(rest.first()));
            message.LoadFromStream(text);
        }
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
