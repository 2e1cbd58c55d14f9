// Showing the selected message in the editor window, answering it, and
// opening its attachment.
#include "mailbox/MsgList.h"

#include "mail/model/message.h"
#include "mail/store/store_listing.h"
#include "mailbox/EditorLink.h"
#include "mailbox/MessageText.h"
#include "net/pop3/retrieve_to_store.h"
#include "toolkit/Exception.h"

#include <QDir>
#include <QFile>

namespace {

const QString downloadedName = QStringLiteral("Downloaded Email Message");

QString fileText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EFOpenError(Errors::FileOpen(path, file.errorString()));
    return QString::fromUtf8(file.readAll());
}

} // namespace

QString TForm3::localFile(int row) const
{
    const TMailSettings mail = settings();
    return localIsCopies ? MailStore::MessageFile(mail.CopySelfDir, MailStore::CopiesToSelf, row)
                         : MailStore::MessageFile(mail.SavedEmail, MailStore::SavedMail, row);
}

// The message of a row: a local one is loaded into msMessage1 first.
TmsCustomMessage& TForm3::messageOfRow(int row)
{
    if (!showingLocal)
        return msPOP1->MessageList->Items(row);
    msMessage1->LoadFromFile(localFile(row));
    return *msMessage1;
}

// The server message as the encoder writes it, in the scratch file.
QString TForm3::writeScratchCopy(int row)
{
    const QString directory = settings().SavedEmail;
    QDir().mkpath(directory);
    const QString path = QDir(directory).filePath(QStringLiteral("email.tmp"));
    msPOP1->MessageList->Items(row).SaveToFile(path);
    return path;
}

void TForm3::showSummary(int row, TmsCustomMessage& message)
{
    editor->ShowDocument(SummaryLines(message).join(QLatin1Char('\n')),
                        showingLocal ? localFile(row) : QStringLiteral("Viewing Downloaded Email Message"));
}

void TForm3::View1Click()
{
    const int row = selectedRow();
    if (row >= 0)
        showSummary(row, messageOfRow(row));
}

void TForm3::ListView1DblClick()
{
    if (listedCount > 0)
        View1Click();
}

void TForm3::ListView1Click()
{
    const int row = selectedRow();
    if (row < 0 || row >= listedCount)
        return;
    const qsizetype attachments = messageOfRow(row).Attachments().Count();
    setPanel(2, QStringLiteral("Attachments: %1").arg(attachments));
    ExecuteAttachment1->setEnabled(attachments >= 1);
    ExecuteButton->setEnabled(attachments >= 1);
}

void TForm3::ViewSelectedMessage1Click()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    if (showingLocal)
        editor->ShowDocument(fileText(localFile(row)), localFile(row));
    else
        editor->ShowDocument(fileText(writeScratchCopy(row)), downloadedName);
}

void TForm3::Reply1Click()
{
    answer(QStringLiteral(">"));
}

void TForm3::Forward1Click()
{
    answer(QStringLiteral("->"));
}

// Reply and forward fill the compose fields and quote the summary view; the
// attachments stay behind.
void TForm3::answer(const QString& mark)
{
    const int row = selectedRow();
    if (row < 0)
        return;
    const bool forward = mark != QLatin1String(">");
    TmsCustomMessage& message = messageOfRow(row);
    if (!showingLocal)
        writeScratchCopy(row);
    editor->StartMessage();
    if (!forward)
        editor->SetRecipient(QString::fromUtf8(message.Sender().Address()));
    editor->SetSubject(QString::fromUtf8(message.Subject()));
    QStringList lines = Quoted(SummaryLines(message), mark);
    const TMailSettings mail = settings();
    if (forward)
        lines << QStringLiteral("Forwarded by: ") + mail.UserName + QLatin1Char(' ') + mail.EmailAddress;
    editor->ShowDocument(lines.join(QLatin1Char('\n')), showingLocal ? localFile(row) : downloadedName);
    if (forward)
        editor->FocusRecipient();
}

void TForm3::ExecuteAttachment1Click()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    if (showingLocal)
        msMessage1->Clear();
    messageOfRow(row).ExecuteAttachment(0);
}
