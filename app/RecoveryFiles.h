#pragma once
// Crash recovery: an unsaved document is written, a few seconds after it
// changes, to a private file in the user's state folder; the next start
// offers back whatever a crash or a kill left there.
#include "app/DocumentCopy.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

class DocumentSession;
class QLockFile;
class QThread;
class TRichEdit;

class RecoveryFiles : public QObject {
    Q_OBJECT
public:
    RecoveryFiles(TRichEdit& editor, DocumentSession& session, QObject* parent);
    // A write under way is finished; the file stays, as it would after a crash.
    ~RecoveryFiles() override;

    // $XDG_STATE_HOME/Penvale, made private if it is not there yet.
    static QString folder();
    const QString& fileName() const { return ownFile; }

    // The editor's text changed: written within writeDelayMs.
    void documentChanged();
    // The changes were saved or deliberately dropped: the file goes.
    void discard();
    // Asks about each file no running window holds; the first accepted
    // becomes the document.
    void offerRecovery();

    static constexpr int writeDelayMs = 2000;
    // Per turn of the event loop: a few milliseconds of copying.
    static constexpr int paragraphsPerStep = 1000;

signals:
    // A write reached the disk (or failed, with the reason).
    void written(const QString& failure);

private:
    enum class WriteState { Idle, Copying, Running, RunningStale };
    struct Snapshot {
        QByteArray header;
        QString plainText;                      // plain mode
        std::unique_ptr<DocumentCopy> richText; // rich mode
    };

    void startWrite();
    void copyStep();
    void startWorker();
    void writeFinished();
    bool restore(const QString& candidate);
    QByteArray header() const;

    TRichEdit& editor;
    DocumentSession& session;
    QString ownFile;
    std::unique_ptr<QLockFile> ownLock;
    QTimer writeTimer;
    QTimer copyTimer;
    WriteState writeState = WriteState::Idle;
    QThread* worker = nullptr;
    Snapshot snapshot;
    QString failure;
    bool failureShown = false;
};
