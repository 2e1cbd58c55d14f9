#pragma once
// A pvmail subcommand: its name, a line for the overview, its help text and
// the function that runs it with the arguments after its name.
#include <QStringList>

#include <optional>

class QCommandLineParser;

#include <cstdio>

struct PvCommand {
    const char* name;
    const char* summary;
    const char* help;
    int (*run)(const QStringList& arguments);
};

// Exit codes shared by every subcommand.
enum PvExit { PvOk = 0, PvFailed = 1, PvUsage = 2 };

// "pvmail NAME: " and the text on standard error; returns PvFailed.
int PvError(const char* command, const QString& text);

// True when the arguments ask for help; the help has then been printed.
bool PvWantsHelp(const PvCommand& command, const QStringList& arguments);

// The --timeout option's seconds (60 when absent), or none when it is no number.
std::optional<int> PvTimeOut(const QCommandLineParser& parser);

extern const PvCommand DecodeCommand;
extern const PvCommand EncodeCommand;
extern const PvCommand SendCommand;
extern const PvCommand RetrieveCommand;
