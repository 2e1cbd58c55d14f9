#include "app/DiskChanges.h"

#include "toolkit/gui/Prompter.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

namespace {

QByteArray hashOf(const QString& fileName)
{
    QFile file(fileName);
    QCryptographicHash hash(QCryptographicHash::Sha1);
    if (file.open(QIODevice::ReadOnly))
        hash.addData(&file);
    return hash.result();
}

} // namespace

DiskChanges::DiskChanges(DocumentSession& session, QObject* parent) : QObject(parent), session(session) {}

// The hash is read only when size and time cannot tell: a file touched or
// rewritten with the same content is not a change.
std::optional<DiskChanges::Stamp> DiskChanges::stampOf(const QString& fileName, const std::optional<Stamp>& known)
{
    const QFileInfo info(fileName);
    if (!info.isFile())
        return std::nullopt;
    Stamp stamp{info.size(), info.lastModified(), {}};
    if (known && stamp.size == known->size && stamp.modified == known->modified)
        stamp.hash = known->hash;
    else if (!known || stamp.size == known->size)
        stamp.hash = hashOf(fileName);
    return stamp;
}

void DiskChanges::remember()
{
    remembered = session.isNew() ? std::nullopt : stampOf(session.documentName(), std::nullopt);
    offered.reset();
}

DiskChanges::DiskState DiskChanges::diskState(const QString& fileName)
{
    if (!remembered)
        return DiskState::Unchanged;
    const std::optional<Stamp> now = stampOf(fileName, remembered);
    if (!now)
        return DiskState::Deleted;
    return now->size == remembered->size && now->hash == remembered->hash ? DiskState::Unchanged : DiskState::Changed;
}

OverwriteDecision DiskChanges::beforeSave(const QString& fileName)
{
    switch (diskState(fileName)) {
    case DiskState::Unchanged: return OverwriteDecision::Write;
    case DiskState::Deleted:
        MessageDlg(QStringLiteral("\"%1\" was deleted on disk by another program; it is written again.").arg(fileName),
                   mtWarning, mbOK);
        return OverwriteDecision::Write;
    case DiskState::Changed: break;
    }
    switch (MessageDlg(QStringLiteral("\"%1\" was changed by another program: overwrite it (Yes), keep theirs and "
                                      "reload (No), or save yours as another file (Cancel)?")
                           .arg(fileName),
                       mtConfirmation, mbYesNoCancel)) {
    case mrYes: return OverwriteDecision::Write;
    case mrNo: return OverwriteDecision::Reload;
    default: return OverwriteDecision::SaveAs;
    }
}

void DiskChanges::windowActivated()
{
    const QString fileName = session.documentName();
    if (diskState(fileName) != DiskState::Changed)
        return;
    const std::optional<Stamp> now = stampOf(fileName, std::nullopt);
    if (now == offered)
        return; // declined already: Save still asks
    offered = now;
    if (MessageDlg(QStringLiteral("\"%1\" was changed by another program. Reload it?").arg(fileName), mtConfirmation,
                   mbYesNo)
        == mrYes)
        session.reload();
}
