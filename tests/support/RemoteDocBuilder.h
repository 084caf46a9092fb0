#pragma once
// Builds remote phonebook documents (menu and directory formats) and serves whole generated phonebooks on a
// loopback server, for tests and benchmarks of the remote phonebook.

#include <string>
#include <vector>

#include "LoopbackHttpServer.h"

namespace testsupport {

struct RemoteLink {
    std::string strName;
    std::string strUrl;
};

struct RemoteEntry {
    std::string strName;
    std::vector<std::string> vecNumbers;
};

// An "AcmeIPPhoneMenu" document.
std::string BuildRemoteMenu(const std::string& strTitle, const std::vector<RemoteLink>& vecMenus,
                            const std::vector<RemoteLink>& vecSoftKeys = {});
// An "AcmeIPPhoneDirectory" document; page keys are MenuItems whose Item is the link's name.
std::string BuildRemoteDirectory(const std::string& strTitle, const std::vector<RemoteEntry>& vecEntries,
                                 const std::vector<RemoteLink>& vecSoftKeys = {},
                                 const std::vector<RemoteLink>& vecPageKeys = {});

// The phone's remote phonebook settings ("remote_phonebook_list.xml"): one item a slot, its name and URL.
std::string BuildRemoteSettings(const std::string& strDisplayName, const std::vector<RemoteLink>& vecSlots);

// A phonebook in three levels: a top menu, nMenus sub-menus and nDirectoriesPerMenu directory documents under
// each, nEntries entries spread evenly over the directories.
struct RemotePhonebookSite {
    std::string strTopUrl;
    std::vector<std::string> vecDocumentUrls;  // every document, the top menu first
    int nEntries = 0;
};
RemotePhonebookSite ServeRemotePhonebook(LoopbackHttpServer& server, const std::string& strPrefix, int nMenus,
                                         int nDirectoriesPerMenu, int nEntries);

// The prologue of an entity-bomb document: a DOCTYPE in which &lol9; stands for 10^9 "lol"s, ending with
// "]>\n". The document's root element follows it.
std::string EntityBombPrologue();

}  // namespace testsupport
