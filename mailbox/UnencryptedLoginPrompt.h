#pragma once
// The windows' answer to a server that no longer offers the log-in that
// kept the password off the network: the user is asked, once per account.
class TmsMailBase;

// Keeps the accounts in the user's data directory and asks through MessageDlg.
void AskBeforeUnencryptedLogin(TmsMailBase& client);
