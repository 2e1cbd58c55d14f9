// pvmail encode FILE.json
#include "mail/model/message.h"
#include "tools/pvmail/pvcommand.h"
#include "tools/pvmail/pvjson.h"

#include <QFileInfo>
#include <QJsonDocument>

namespace {

const char help[] =
    "Usage: pvmail encode FILE.json\n"
    "\n"
    "Reads a message in the JSON shape that 'pvmail decode' prints (body as a list\n"
    "of lines; attachments as {fileName, contentType, encoding, path}, a relative\n"
    "path taken from the JSON file's directory) and writes its Internet message\n"
    "text to standard output.\n";

int run(const QStringList& arguments)
{
    if (PvWantsHelp(EncodeCommand, arguments))
        return PvOk;
    if (arguments.size() != 1 || arguments.first().startsWith(QLatin1Char('-')))
        return PvError("encode", QStringLiteral("expected one FILE.json (see --help)")), PvUsage;
    try {
        const QString path = arguments.first();
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(ReadWholeFile(path), &error);
        if (error.error != QJsonParseError::NoError)
            return PvError("encode", QStringLiteral("%1: invalid JSON at offset %2: %3")
                                         .arg(path)
                                         .arg(error.offset)
                                         .arg(error.errorString()));
        if (!document.isObject())
            return PvError("encode", QStringLiteral("%1: expected a JSON object").arg(path));
        TmsMessage message;
        JsonToMessage(document.object(), QFileInfo(path).absoluteDir(), message);
        TMemoryStream text;
        message.SaveToStream(text);
        std::fwrite(text.Bytes().constData(), 1, size_t(text.Size()), stdout);
        return std::fflush(stdout) == 0 ? PvOk : PvError("encode", QStringLiteral("cannot write the output"));
    } catch (const Exception& e) {
        return PvError("encode", e.Message);
    }
}

} // namespace

const PvCommand EncodeCommand{"encode", "write a message given as JSON as message text", help, run};
