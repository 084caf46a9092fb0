#include "CrashOperations.h"

#include <cstdio>
#include <fstream>
#include <list>
#include <sstream>

#include "BaseHelper.h"
#include "ContactGeneralModel.h"
#include "HostControl.h"
#include "XPortFactory.h"

namespace crashtest {

namespace {

using NS_DIRECTORY::CContactGeneralModel;
using NS_DIRECTORY::ContactGeneralItemData;

constexpr const char* kContactFile = "/config/data/contact_list.xml";
constexpr const char* kGroupFile = "/config/data/contact_group_list.xml";
constexpr const char* kMarkFile = "/tmp/contact_update_mark.ini";
constexpr const char* kImportFile = "/config/data/import.xml";
// Big enough that a save takes a while, so kills land inside writes too.
constexpr int kStartingContacts = 400;
constexpr int kImportedContacts = 200;

ContactGeneralItemData Contact(const std::string& strName, const std::string& strGroup,
                               const std::string& strMobile) {
    ContactGeneralItemData data;
    data.m_strDisplayName = strName;
    data.m_strGroupName = strGroup;
    data.m_strMobileNumber = strMobile;
    data.m_strOfficeNumber = "0" + strMobile;
    return data;
}

std::string Numbered(const char* pPrefix, int nIndex) {
    char szName[32];
    std::snprintf(szName, sizeof szName, "%s %04d", pPrefix, nIndex);
    return szName;
}

std::string ContactElements(const char* pPrefix, int nCount, const char* pGroupAttribute,
                            const std::vector<std::string>& listGroups) {
    std::ostringstream out;
    for (int nIndex = 0; nIndex < nCount; ++nIndex) {
        out << "<contact display_name=\"" << Numbered(pPrefix, nIndex) << "\" mobile_number=\""
            << 1000 + nIndex << "\" office_number=\"" << 2000 + nIndex << "\" " << pGroupAttribute << "=\""
            << listGroups[static_cast<std::size_t>(nIndex) % listGroups.size()] << "\"/>\n";
    }
    return out.str();
}

// Provisioned from outside, as another process writes them before it asks for the background reload.
std::string ProvisionedGroups() {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<root_group>\n"
           "<group id_name=\"0\" display_name=\"All Contacts\" ring=\"\" read_only=\"1\"/>\n"
           "<group id_name=\"7\" display_name=\"Provisioned\" ring=\"\" read_only=\"0\"/>\n"
           "<group id_name=\"1\" display_name=\"Blacklist\" ring=\"\" read_only=\"1\"/>\n</root_group>\n";
}

std::string ProvisionedContacts() {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<root_contact>\n" +
           ContactElements("Provisioned", kStartingContacts, "group_id_name", {"0", "7"}) +
           "</root_contact>\n";
}

bool ContactEdits(CContactGeneralModel& model) {
    std::list<std::string> listNames = {Numbered("Contact", 1), Numbered("Contact", 2)};
    return model.AddContact(Contact("Zed", "Work", "555")) >= 0 &&
           model.UpdateContactData("Zed", Contact("Zoe", "Family", "556")) >= 0 && model.Local2Black("Zoe") &&
           model.ToFavorateList(listNames) && model.RemoveContact("Zoe");
}

bool GroupEdits(CContactGeneralModel& model) {
    std::list<std::string> listNames = {Numbered("Contact", 3), Numbered("Contact", 4),
                                        Numbered("Contact", 5)};
    return model.AddGroup({"Club", ""}) >= 0 && model.UpdateGroupData("Club", {"Clubhouse", ""}) >= 0 &&
           model.MoveListToGroup(listNames, "Clubhouse") == 0 && model.RemoveGroup("Clubhouse");
}

bool BackgroundReload(CContactGeneralModel& model) {
    return ETL_MiscHelper::fileWriteAtomic(kGroupFile, ProvisionedGroups()) &&
           ETL_MiscHelper::fileWriteAtomic(kContactFile, ProvisionedContacts()) &&
           model.ReloadGroupAndItemByHttp() && HostControl::RunUntilIdle(20000) &&
           model.AddContact(Contact("Zed", "Provisioned", "555")) >= 0;
}

}  // namespace

const std::vector<Operation>& AllOperations() {
    static const std::vector<Operation> kAll = {Operation::ContactEdits, Operation::GroupEdits,
                                                Operation::Import, Operation::BackgroundReload};
    return kAll;
}

const char* OperationName(Operation eOperation) {
    switch (eOperation) {
        case Operation::ContactEdits:
            return "contact-edits";
        case Operation::GroupEdits:
            return "group-edits";
        case Operation::Import:
            return "import";
        case Operation::BackgroundReload:
            return "background-reload";
    }
    return "?";
}

bool OperationByName(const std::string& strName, Operation* pOperation) {
    for (const Operation eOperation : AllOperations()) {
        if (strName == OperationName(eOperation)) {
            *pOperation = eOperation;
            return true;
        }
    }
    return false;
}

const std::vector<std::string>& CheckedFiles() {
    static const std::vector<std::string> kFiles = {kContactFile, kGroupFile, kMarkFile};
    return kFiles;
}

bool IsBookFileName(const std::string& strName) {
    return strName == "contact_list.xml" || strName == "contact_group_list.xml" ||
           strName == "contact_update_mark.ini" || strName == "import.xml";
}

Files StartingFiles() {
    const std::string strContacts =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<root_contact>\n" +
        ContactElements("Contact", kStartingContacts, "group_id_name", {"2", "3", "4"}) + "</root_contact>\n";
    std::ofstream(ETL_MiscHelper::pathMapToRoot(kContactFile), std::ios::binary) << strContacts;
    CContactGeneralModel& model = *CContactGeneralModel::GetInstance();
    model.AddGroup({"Work", ""});
    model.MySetContactDirty(false);
    model.MySetContactDirty(true);  // the contacts as the module writes them
    CContactGeneralModel::ReleaseInstance();
    Files files;
    for (const char* pPath : {kContactFile, kGroupFile}) {
        files[pPath] = ReadWholeFile(ETL_MiscHelper::pathMapToRoot(pPath)).value_or("");
    }
    files[kImportFile] =
        "<vp_contact><root_group><group display_name=\"Imported\"/><group display_name=\"Work\"/>"
        "</root_group><root_contact>\n" +
        ContactElements("Imported", kImportedContacts, "group_id_name", {"Imported", "Work", ""}) +
        "</root_contact></vp_contact>\n";
    return files;
}

bool RunOperation(Operation eOperation) {
    CContactGeneralModel& model = *CContactGeneralModel::GetInstance();
    switch (eOperation) {
        case Operation::ContactEdits:
            return ContactEdits(model);
        case Operation::GroupEdits:
            return GroupEdits(model);
        case Operation::Import:
            return NS_DIRECTORY::XPortFactory::ImportByPath(kImportFile, false, false, false) == 0;
        case Operation::BackgroundReload:
            return BackgroundReload(model);
    }
    return false;
}

bool RecordingFileSystem::RenameFile(const std::string& strFrom, const std::string& strTo) {
    if (!CFileSystemWrapper::RenameFile(strFrom, strTo)) {
        return false;
    }
    std::optional<std::string> content = ReadWholeFile(strTo);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_mapVersions[strTo].push_back(content.value_or(""));
    return true;
}

std::map<std::string, std::vector<std::string>> RecordingFileSystem::Versions() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_mapVersions;
}

std::optional<std::string> ReadWholeFile(const std::string& strRealPath) {
    std::ifstream in(strRealPath, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

}  // namespace crashtest
