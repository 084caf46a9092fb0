#include "DataRoot.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

#include <pugixml.hpp>

#include "BaseHelper.h"
#include "CommonUnits.h"
#include "DemoPhoneBook.h"

namespace dirsim::dataroot {

namespace {

constexpr const char* kShortcutFile = "/config/data/favorite_setting.xml";
constexpr const char* kRemoteSettingsFile = "/config/data/remote_phonebook_list.xml";
constexpr size_t kRemoteSlots = 5;

std::string Serialise(const pugi::xml_document& doc) {
    std::ostringstream out;
    doc.save(out, "\t");
    return out.str();
}

pugi::xml_node AppendDeclaredRoot(pugi::xml_document& doc, const char* pName) {
    pugi::xml_node declaration = doc.append_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "utf-8";
    return doc.append_child(pName);
}

bool WriteIfMissing(const std::string& strPhonePath, const std::string& strContent) {
    return ETL_MiscHelper::pathFileExist(strPhonePath) ||
           ETL_MiscHelper::fileWriteAtomic(strPhonePath, strContent);
}

}  // namespace

bool IsFresh() {
    return !ETL_MiscHelper::pathFileExist("/config/data/contact_list.xml") &&
           !ETL_MiscHelper::pathFileExist("/config/data/contact_group_list.xml");
}

bool WriteResourceFiles() {
    bool bOk = true;
    for (const std::string& strName : DemoRingFiles()) {
        bOk = WriteIfMissing(CommonUnits_GetDefaultRingFolder() + strName, "RIFF demo ring\n") && bOk;
    }
    for (const std::string& strName : DemoPhotoFiles()) {
        bOk = WriteIfMissing(CommonUnits_GetDefaultPhotoFolder() + strName, "\x89PNG demo picture\n") && bOk;
    }
    return bOk;
}

bool WriteShortcutSettingsIfMissing() {
    struct Shortcut {
        const char* pId;
        const char* pName;
    };
    const Shortcut shortcuts[] = {{"localdirectory", "Local directory"},
                                  {"remotedirectory", "Remote phonebook"},
                                  {"broadsoftdirectory", "Network directory"},
                                  {"networkcalllog", "Network call log"},
                                  {"ldap", "LDAP"}};
    pugi::xml_document doc;
    pugi::xml_node root = AppendDeclaredRoot(doc, "root_favorite_set");
    int nPriority = 1;
    for (const Shortcut& shortcut : shortcuts) {
        pugi::xml_node item = root.append_child("item");
        item.append_attribute("id_name") = shortcut.pId;
        item.append_attribute("display_name") = shortcut.pName;
        item.append_attribute("enable") = 1;
        item.append_attribute("priority") = nPriority++;
    }
    return WriteIfMissing(kShortcutFile, Serialise(doc));
}

bool WriteRemoteSettings(const std::string& strDisplayName,
                         const std::vector<std::pair<std::string, std::string>>& vecSlots) {
    pugi::xml_document doc;
    pugi::xml_node root = AppendDeclaredRoot(doc, "root_remote_phonebook");
    root.append_attribute("display_name") = strDisplayName.c_str();
    for (size_t i = 0; i < kRemoteSlots; ++i) {
        pugi::xml_node item = root.append_child("item");
        item.append_attribute("name") = i < vecSlots.size() ? vecSlots[i].first.c_str() : "";
        item.append_attribute("url") = i < vecSlots.size() ? vecSlots[i].second.c_str() : "";
    }
    return ETL_MiscHelper::fileWriteAtomic(kRemoteSettingsFile, Serialise(doc));
}

bool CopyInto(const std::string& strHostFile, const std::string& strPhonePath, std::string* pError) {
    struct stat info {};
    if (stat(strHostFile.c_str(), &info) != 0) {
        *pError = "there is no file " + strHostFile;
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        *pError = strHostFile + " is not a file";
        return false;
    }
    std::ifstream in(strHostFile, std::ios::binary);
    if (!in) {
        *pError = "cannot read " + strHostFile + ": " + std::strerror(errno);
        return false;
    }
    std::ostringstream content;
    content << in.rdbuf();
    if (!ETL_MiscHelper::fileWriteAtomic(strPhonePath, content.str())) {
        *pError = "cannot copy " + strHostFile + " into the data folder";
        return false;
    }
    return true;
}

}  // namespace dirsim::dataroot
