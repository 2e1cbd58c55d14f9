// pvmail: reads and writes Internet message text through the mail library.
// A subcommand is one source file defining a PvCommand, listed here.
#include "tools/pvmail/pvcommand.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <csignal>

namespace {

const PvCommand* const commands[] = {&DecodeCommand, &EncodeCommand, &SendCommand, &RetrieveCommand};

void printOverview(FILE* to)
{
    std::fprintf(to, "Usage: pvmail COMMAND [ARGUMENTS]\n\nCommands:\n");
    for (const PvCommand* command : commands)
        std::fprintf(to, "  %-10s %s\n", command->name, command->summary);
    std::fprintf(to, "\n'pvmail COMMAND --help' describes a command.\n");
}

} // namespace

int PvError(const char* command, const QString& text)
{
    std::fprintf(stderr, "pvmail %s: %s\n", command, qPrintable(text));
    return PvFailed;
}

bool PvWantsHelp(const PvCommand& command, const QStringList& arguments)
{
    if (!arguments.contains(QStringLiteral("--help")) && !arguments.contains(QStringLiteral("-h")))
        return false;
    std::fputs(command.help, stdout);
    return true;
}

std::optional<int> PvTimeOut(const QCommandLineParser& parser)
{
    if (!parser.isSet(QStringLiteral("timeout")))
        return 60;
    bool ok = false;
    const int seconds = parser.value(QStringLiteral("timeout")).toInt(&ok);
    return ok ? std::optional<int>(seconds) : std::nullopt;
}

int main(int argc, char* argv[])
{
    // Output closed by its reader ("| head -1") fails the writes instead of
    // killing a retrieval between storing a message and deleting it.
    std::signal(SIGPIPE, SIG_IGN);
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    if (arguments.isEmpty() || arguments.first() == QStringLiteral("--help")
        || arguments.first() == QStringLiteral("-h")) {
        printOverview(arguments.isEmpty() ? stderr : stdout);
        return arguments.isEmpty() ? PvUsage : PvOk;
    }
    const QString name = arguments.takeFirst();
    for (const PvCommand* command : commands)
        if (name == QLatin1String(command->name))
            return command->run(arguments);
    std::fprintf(stderr, "pvmail: unknown command '%s'\n", qPrintable(name));
    printOverview(stderr);
    return PvUsage;
}
