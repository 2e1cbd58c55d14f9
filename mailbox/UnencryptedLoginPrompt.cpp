#include "mailbox/UnencryptedLoginPrompt.h"

#include "net/session/challenge_logins.h"
#include "net/session/session.h"
#include "toolkit/gui/Prompter.h"

void AskBeforeUnencryptedLogin(TmsMailBase& client)
{
    client.ChallengeLoginsFile = ChallengeLoginsPath();
    client.OnChallengeWithdrawn = [](QObject*, const QString& warning) {
        return MessageDlg(warning + QStringLiteral("\n\nLog in anyway?"), mtWarning, mbYesNo) == mrYes;
    };
}
