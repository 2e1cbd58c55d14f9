#pragma once
// The local mail store: message files numbered in a directory, with a
// counter file holding the number the next new file gets. Saved mail uses
// "m" and "emax.dat", copies to self "cm" and "copymax.dat".
#include <QString>

#include <memory>
#include <optional>
#include <vector>

class QTemporaryFile;
class TmsCustomMessage;
class TStream;
class TTempFileStream;

namespace MailStore {

// A store's file name prefix and counter file.
struct TStoreKind {
    QString prefix;
    QString counter;
};

inline const TStoreKind SavedMail{QStringLiteral("m"), QStringLiteral("emax.dat")};
inline const TStoreKind CopiesToSelf{QStringLiteral("cm"), QStringLiteral("copymax.dat")};

// Writes the message as the next numbered file of the store and returns its
// path; once it returns, the message is on disk (a server may delete it).
// The file holds the message's received text when it has one (the bytes as
// the server sent them), else the message encoded.
// The number is the counter's first line as written there ("0" without a
// counter file), or the next number above it whose name nothing holds: an
// existing file is never replaced, a link never followed. The text goes to a
// temporary file beside it and takes the name only when whole, and the
// counter is then rewritten with the number + 1. Creates the directory when
// needed. Raises EConvertError when the counter's first line is no decimal
// number and EFCreateError when the directory, the file or the counter
// cannot be written; either way nothing is stored and the caller still holds
// its message.
QString WriteMessageFile(const QString& directory, const TStoreKind& kind, TmsCustomMessage& message);
// The same for a message text as it is, the whole stream from its start.
QString WriteMessageFile(const QString& directory, const TStoreKind& kind, TStream& text);

// Messages stored one after another, as WriteMessageFile would, but put on disk
// together by Sync: a group waits for the disk three times (the texts, the
// names, the counter) instead of three times a message. A message written
// takes its number at once (its name exists, a link to an empty file the
// writer keeps in the directory while it lives) and its text reaches that
// name, whole, at the next Sync; the counter is read once, by the first
// Write. Messages not synced when the writer goes (Sync failed or never ran)
// leave no file behind.
class TStoreWriter {
public:
    // Creates the directory when needed; raises EFCreateError when it cannot.
    TStoreWriter(const QString& directory, const TStoreKind& kind);
    TStoreWriter(const TStoreWriter&) = delete;
    TStoreWriter& operator=(const TStoreWriter&) = delete;
    ~TStoreWriter();

    // Enough messages a group that the waits for the disk are a small part
    // of storing them; few enough that a failure sends little mail round
    // again (each pending message is also an open file).
    static constexpr std::size_t GroupSize = 64;

    // Returns the path the message will have. Raises as WriteMessageFile, and
    // then the messages written before stay pending. Syncs first when
    // GroupSize messages are pending.
    QString Write(TmsCustomMessage& message);
    // A message text written as it comes, never whole in memory. BeginText
    // takes the next number as Write does and gives the stream its text is
    // written to (a text begun before and not written gives its number
    // back); writing raises EFCreateError when the disk refuses. WriteText
    // makes the text pending as Write does and returns its path.
    TStream& BeginText();
    QString WriteText();
    // Once it returns, every message written is on disk under its name and
    // the counter follows the last. Raises EFCreateError, and then drops
    // every pending message; every later Write and Sync raises it again, so
    // a caller that missed it (a failure inside Write) can never take a
    // later Sync for proof that the dropped messages are on disk.
    void Sync();

private:
    // The text in a temporary file beside the empty file that holds its number.
    struct TPending {
        QString name;
        std::unique_ptr<TTempFileStream> text;
    };

    void abandon();
    void drop();

    QString directory;
    TStoreKind kind;
    std::unique_ptr<QTemporaryFile> reservation; // what a name taken links to until its text comes
    std::optional<quint64> next;                 // the number the next file tries first
    std::vector<TPending> pending;
    std::optional<TPending> incoming; // begun, not yet written
    quint64 incomingNext = 0;         // what next becomes once it is written
    QString lost;                     // why a group was dropped
};

} // namespace MailStore
