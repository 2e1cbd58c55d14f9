#pragma once
// The local mail servers of a benchmark run, and the peers it is timed against.
#include "MailServersEnv.h"

#include <QStringList>

#include <functional>

// Started in a directory of their own for the run, stopped at its end.
struct TBenchServers : TMailServers {
    QString Dir;

    // False (with the reason on standard output) when they cannot run here.
    bool Start(const QString& name);
    // Puts `count` plain-text messages of about `size` bytes straight into
    // the Maildir, as the delivery agent would; returns their bytes as sent.
    qint64 Deliver(int count, int size) const;
    ~TBenchServers();
};

// Seconds of wall time a program took, or -1 when it failed (said on stderr).
double TimedRun(const QString& program, const QStringList& arguments);
// Seconds a Python snippet reports on its standard output, -1 on failure.
double PythonSeconds(const QString& script, const QStringList& arguments);

// The shortest of `runs` timings (seconds, -1 for a failed run), running
// `between` after each; -1 when every run failed.
double BestSeconds(int runs, const std::function<double()>& run, const std::function<void()>& between = {});
// One line of results; with messages, their rate too.
void ReportRun(const char* who, double seconds, qint64 bytes, int messages = 0);
