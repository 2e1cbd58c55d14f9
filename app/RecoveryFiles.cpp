#include "app/RecoveryFiles.h"

#include "app/DocumentSession.h"
#include "toolkit/Exception.h"
#include "toolkit/gui/ErrorHandler.h"
#include "toolkit/gui/Prompter.h"
#include "toolkit/gui/RichEdit.h"
#include "toolkit/rtf/RtfWriter.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QSaveFile>
#include <QTextDocument>
#include <QThread>
#include <QUrl>
#include <QUuid>

namespace {

const QByteArray headerTag = QByteArrayLiteral("Penvale recovery");
const QString fileSuffix = QStringLiteral(".recovery");
const QString newDocumentMark = QStringLiteral("new");
constexpr qint64 largestFile = 256 * 1024 * 1024; // far above the editor's own limit
constexpr int headerLines = 4;

QString lockName(const QString& file)
{
    return file + QStringLiteral(".lock");
}

// Written aside and renamed, so a crash during a write keeps the last whole copy.
QString writeFile(const QString& fileName, const QByteArray& header, const QByteArray& body)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    file.write(header);
    file.write(body);
    return file.commit() ? QString() : file.errorString();
}

struct Recovered {
    TextMode mode;
    bool isNew;
    QString documentName;
    QByteArray content;
};

Recovered readFile(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EFOpenError(Errors::FileOpen(fileName, file.errorString()));
    if (file.size() > largestFile)
        throw EReadError(QStringLiteral("The recovery file \"%1\" is larger than 256 MB, so it is not read. Move it "
                                        "elsewhere to keep it.")
                             .arg(fileName));
    const QList<QByteArray> lines = file.readAll().split('\n');
    if (lines.size() <= headerLines || lines[0] != headerTag)
        throw EReadError(
            QStringLiteral("\"%1\" is not a recovery file of this program. Move it out of the folder \"%2\".")
                .arg(fileName, RecoveryFiles::folder()));
    const qsizetype headerSize = lines[0].size() + lines[1].size() + lines[2].size() + lines[3].size() + headerLines;
    file.seek(headerSize);
    return {lines[1] == "rich" ? TextMode::Rich : TextMode::Plain, lines[2] == newDocumentMark.toUtf8(),
            QUrl::fromPercentEncoding(lines[3]), file.readAll()};
}

} // namespace

RecoveryFiles::RecoveryFiles(TRichEdit& editor, DocumentSession& session, QObject* parent)
    : QObject(parent),
      editor(editor),
      session(session),
      ownFile(QDir(folder()).filePath(QUuid::createUuid().toString(QUuid::WithoutBraces) + fileSuffix)),
      ownLock(std::make_unique<QLockFile>(lockName(ownFile)))
{
    // Held while this window runs, so another window's start leaves its file alone.
    ownLock->setStaleLockTime(0);
    ownLock->tryLock(0);
    writeTimer.setSingleShot(true);
    writeTimer.setInterval(writeDelayMs);
    connect(&writeTimer, &QTimer::timeout, this, [this] { Guard([this] { startWrite(); })(); });
    copyTimer.setInterval(0);
    connect(&copyTimer, &QTimer::timeout, this, [this] { Guard([this] { copyStep(); })(); });
}

RecoveryFiles::~RecoveryFiles()
{
    if (worker)
        worker->wait();
}

QString RecoveryFiles::folder()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty())
        state = QDir::home().filePath(QStringLiteral(".local/state"));
    const QString path = QDir(state).filePath(QStringLiteral("Penvale"));
    if (!QDir(path).exists()) {
        QDir().mkpath(path);
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    return path;
}

// The first change of a run of typing starts the clock, so a writer who never
// pauses is still covered within writeDelayMs.
void RecoveryFiles::documentChanged()
{
    if (editor.Modified() && !writeTimer.isActive())
        writeTimer.start();
}

void RecoveryFiles::discard()
{
    writeTimer.stop();
    if (writeState == WriteState::Copying) {
        copyTimer.stop();
        snapshot = {};
        writeState = WriteState::Idle;
    }
    if (writeState != WriteState::Idle)
        writeState = WriteState::RunningStale; // removed once the write ends
    QFile::remove(ownFile);
}

QByteArray RecoveryFiles::header() const
{
    const bool rich = !editor.PlainText();
    return headerTag + '\n' + (rich ? "rich" : "plain") + '\n'
         + (session.isNew() ? newDocumentMark.toUtf8() : QByteArrayLiteral("named")) + '\n'
         + QUrl::toPercentEncoding(session.documentName()) + '\n';
}

// The GUI thread only copies the document, a rich one in steps between key
// presses; turning it into bytes and writing them happens on a worker.
void RecoveryFiles::startWrite()
{
    if (!editor.Modified())
        return;
    if (writeState != WriteState::Idle) {
        writeTimer.start(); // once the running write is done
        return;
    }
    if (editor.PlainText()) {
        snapshot.plainText = editor.document()->toPlainText();
        startWorker();
        return;
    }
    snapshot.richText = std::make_unique<DocumentCopy>(*editor.document());
    writeState = WriteState::Copying;
    copyTimer.start();
}

void RecoveryFiles::copyStep()
{
    if (snapshot.richText->copyStep(paragraphsPerStep) == DocumentCopy::Progress::Copying)
        return;
    copyTimer.stop();
    startWorker();
}

void RecoveryFiles::startWorker()
{
    snapshot.header = header();
    writeState = WriteState::Running;
    worker = QThread::create([this] {
        const QByteArray body = snapshot.richText ? Rtf::write(*snapshot.richText->rebuild())
                                                  : snapshot.plainText.toUtf8();
        failure = writeFile(ownFile, snapshot.header, body);
        snapshot.richText.reset(); // freed here: a large copy takes a while to free
        snapshot.plainText.clear();
    });
    worker->setParent(this);
    connect(worker, &QThread::finished, this, [this] { Guard([this] { writeFinished(); })(); });
    worker->start(QThread::LowPriority);
}

void RecoveryFiles::writeFinished()
{
    worker->wait();
    delete worker;
    worker = nullptr;
    snapshot = {};
    if (writeState == WriteState::RunningStale)
        QFile::remove(ownFile);
    writeState = WriteState::Idle;
    const QString reason = failure;
    failure.clear();
    emit written(reason);
    failureShown = failureShown && !reason.isEmpty();
    if (reason.isEmpty() || failureShown)
        return;
    failureShown = true; // said once, not every few seconds
    throw EWriteError(QStringLiteral("Unsaved changes could not be kept for recovery in \"%1\": %2. Save the document, "
                                     "or make room in that folder.")
                          .arg(ownFile, reason));
}

void RecoveryFiles::offerRecovery()
{
    const QFileInfoList candidates = QDir(folder()).entryInfoList({QStringLiteral("*") + fileSuffix}, QDir::Files,
                                                                  QDir::Time);
    for (const QFileInfo& candidate : candidates) {
        if (candidate.filePath() == ownFile)
            continue;
        QLockFile lock(lockName(candidate.filePath()));
        lock.setStaleLockTime(0);
        if (!lock.tryLock(0))
            continue; // a running window's
        if (restore(candidate.filePath()))
            return;
    }
}

// Either way the file goes: restored, the text is this window's to keep;
// declined, it was dropped on purpose.
bool RecoveryFiles::restore(const QString& candidate)
{
    Recovered recovered = readFile(candidate);
    const bool accepted = MessageDlg(QStringLiteral("Recover unsaved changes to %1?").arg(recovered.documentName),
                                     mtConfirmation, mbYesNo)
                       == mrYes;
    if (accepted) {
        session.showRecovered(recovered.content, recovered.mode, recovered.documentName, recovered.isNew);
        documentChanged();
    }
    QFile::remove(candidate);
    return accepted;
}
