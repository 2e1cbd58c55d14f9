#pragma once
// The local mail servers of a benchmark run, and the peers it is timed against.
#include "MailServersEnv.h"

#include <QStringList>

#include <functional>
#include <utility>

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

// One timed run: wall seconds (-1 when it failed) and the CPU seconds, user
// and system, of the process that did the work (-1 when not known).
struct TTiming {
    double wall = -1;
    double cpu = -1;
};

// A program run to its end; its failure is said on stderr.
TTiming TimedProcess(const QString& program, const QStringList& arguments);
// Work done in this process; false or an exception (said on stderr) from
// the work is a failed run.
TTiming TimedHere(const std::function<bool()>& work);
// Seconds of wall time a program took, or -1 when it failed.
double TimedRun(const QString& program, const QStringList& arguments);
// Seconds a Python snippet reports on its standard output, -1 on failure.
double PythonSeconds(const QString& script, const QStringList& arguments);

// The run with the shortest wall time of `runs`, running `between` after
// each; a failed timing when every run failed.
TTiming BestOf(int runs, const std::function<TTiming()>& run, const std::function<void()>& between = {});
// The best of each of two, run in turns so that both meet the same load on
// a shared machine.
std::pair<TTiming, TTiming> BestInTurns(int runs, const std::function<TTiming()>& first,
                                        const std::function<TTiming()>& second,
                                        const std::function<void()>& between = {});
// One line of results; with messages, their rate too.
void ReportRun(const char* who, TTiming timing, qint64 bytes, int messages = 0);
void ReportRun(const char* who, double seconds, qint64 bytes, int messages = 0);
// How one run compares with its peer's, wall and CPU, against the target
// ratio of wall times.
void ReportRatio(const char* who, TTiming timing, const char* peer, TTiming peerTiming, double target);
