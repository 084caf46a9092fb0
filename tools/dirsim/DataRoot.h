#pragma once
// The files of a dirsim data folder that the phone would have from its firmware and its provisioning: the
// built-in ring and picture files, the directory shortcut settings, the remote phonebook settings, and the
// demo phone book to seed a fresh folder with. Paths are phone paths under the host's root.

#include <string>
#include <utility>
#include <vector>

namespace dirsim::dataroot {

constexpr const char* kDemoBookPhonePath = "/tmp/dirsim-demo-book.xml";
constexpr const char* kImportPhonePath = "/tmp/dirsim-import.xml";

// A fresh folder: neither local phone book file exists yet.
bool IsFresh();
// Small placeholder files for the built-in rings and pictures the demo refers to (kept when present).
bool WriteResourceFiles();
// "favorite_setting.xml" offering the local, remote, BroadSoft, network call log and LDAP directories, when
// there is none.
bool WriteShortcutSettingsIfMissing();
// "remote_phonebook_list.xml" with these slots (at most five).
bool WriteRemoteSettings(const std::string& strDisplayName,
                         const std::vector<std::pair<std::string, std::string>>& vecSlots);
// Copies a file of this machine to a phone path; false with the reason in words.
bool CopyInto(const std::string& strHostFile, const std::string& strPhonePath, std::string* pError);

}  // namespace dirsim::dataroot
