#pragma once
// The module's codes in plain words, for people: refusals of the local phone book, remote list states,
// notifications, transfer failures and import results. Unknown values still get a sentence.

#include <string>

namespace dirsim {

// A refusal recorded by the local phone book (CommonUnits_GetErrorId after a failed operation).
std::string LocalRefusalText(int nCode);
// A remote list status (the result of the remote list operations).
std::string RemoteListStatusText(int nStatus);
// A notification the module sent to the GUI.
std::string NotificationText(int nId, int wParam, int lParam, const std::string& strData);
// A failed host transfer: its error type and HTTP status (0 when the server never answered).
std::string TransferFailureText(int nError, long nHttpStatus);
// The result of an import or export.
std::string XPortResultText(int nResult);

}  // namespace dirsim
