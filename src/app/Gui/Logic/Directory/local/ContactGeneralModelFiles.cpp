// The two local files: loading at start and on request, and the write-through save after every change.

#include <algorithm>
#include <bitset>
#include <cerrno>
#include <cstring>

#include <pugixml.hpp>

#include "AppLog.h"
#include "BaseHelper.h"
#include "ContactFileFormat.h"
#include "ContactFileReader.h"
#include "ContactGeneralModel.h"
#include "MsgQueue.h"
#include "Registry.h"

namespace NS_DIRECTORY {

namespace {

constexpr const char* kAllContactsName = "All Contacts";
constexpr const char* kBlacklistName = "Blacklist";

std::string DataPath(const std::string& strFileName) {
    return std::string(kLocalDataFolder) + strFileName;
}

}  // namespace

// ---- loading

bool CContactGeneralModel::CreateContactGroupList(const std::string& strPath) {
    return MyNoThrow(false, [&]() -> bool {
        static const char* const kDefaultGroupNames[] = {kAllContactsName, kBlacklistName, "Company",
                                                         "Family", "Friend"};
        pugi::xml_document doc;
        pugi::xml_node root = CContactFileFormat::AppendRoot(doc, "root_group");
        CContactFileFormat format(CContactFileFormat::WRITING);
        int nId = 0;
        for (const char* pName : kDefaultGroupNames) {
            GroupData group;
            group.m_nId = nId++;
            group.m_strDisplayName = pName;
            group.m_bReadOnly = MyIsGroupReadOnly(group.m_nId);
            format.AppendGroup(root, group);
        }
        return MyWriteDocument(doc, strPath);
    });
}

bool CContactGeneralModel::MyLoadGroupFromXmlFile(const std::string& strFileName) {
    return MyNoThrow(false, [&]() -> bool {
        const std::string strPath = DataPath(strFileName);
        bool bReadable = ETL_MiscHelper::pathFileExist(strPath) || CreateContactGroupList(strPath);
        std::unique_ptr<char[]> pText;  // the text the document was parsed from in place, if it was
        pugi::xml_document doc;
        CContactFileFormat::ValueForm eForm = CContactFileFormat::DEFAULT_PARSE;
        if (bReadable) {
            bReadable = CContactFileReader::LoadGroupDocument(ETL_MiscHelper::pathMapToRoot(strPath), doc,
                                                              &pText, &eForm) &&
                        doc.child("root_group");
        }
        if (!bReadable) {
            doc.reset();
        }
        bool bRewrite = false;
        int nHighestId = 1;
        const bool bAllTaken =
            MyLoadGroupElements(doc, eForm == CContactFileFormat::RAW_WHITESPACE, &bRewrite, &nHighestId);
        if (m_pIdGenerator) {
            m_pIdGenerator->SetBegin(nHighestId);
        }
        // An unreadable file gets the built-in groups in memory only: the user's groups may still be in it.
        if (bRewrite && bReadable) {
            MySetGroupDirty(true);
        }
        return bReadable && bAllTaken;
    });
}

// Built-in groups are taken first and repaired before any other group, so a user group can never crowd
// them out, by the limit or by their names (the rule the background reload shares).
bool CContactGeneralModel::MyLoadGroupElements(const pugi::xml_document& doc, bool bRawWhiteSpace,
                                               bool* pRewrite, int* pHighestId) {
    const pugi::xml_node root = doc.child("root_group");
    CContactFileFormat format(CContactFileFormat::READING);
    const CContactFileFormat::ValueForm eForm =
        bRawWhiteSpace ? CContactFileFormat::RAW_WHITESPACE : CContactFileFormat::DEFAULT_PARSE;
    std::vector<GroupData> listRead;
    listRead.reserve(64);  // room for the groups of a usual file
    for (pugi::xml_node node = root.child("group"); node; node = node.next_sibling("group")) {
        listRead.push_back(format.ReadGroup(node, eForm));
    }
    // The ids in the list, marked below kMarkedIds so that each group read needs no walk of the list.
    constexpr int kMarkedIds = 4096;
    std::bitset<kMarkedIds> marked;
    const auto markId = [&marked](int nId) {
        if (nId >= 0 && nId < kMarkedIds) {
            marked.set(static_cast<size_t>(nId));
        }
    };
    for (const auto& pGroup : m_listGroup) {
        markId(pGroup->m_nId);
    }
    const auto isIdTaken = [&](int nId) {
        return nId < kMarkedIds ? marked.test(static_cast<size_t>(nId)) : MyFindGroupById(nId) != nullptr;
    };
    bool bAllTaken = true;
    for (int nPass = 0; nPass < 2; ++nPass) {
        const bool bBuiltInPass = nPass == 0;
        for (GroupData& group : listRead) {
            if (MyIsGroupReadOnly(group.m_nId) != bBuiltInPass) {
                continue;
            }
            if (group.m_nId > *pHighestId) {
                *pHighestId = group.m_nId;
            }
            if (MyRepairBuiltInName(group)) {
                *pRewrite = true;
            }
            const bool bIdUsable = group.m_nId >= 0 && !isIdTaken(group.m_nId);
            if (!bIdUsable || MyTakesBuiltInName(group)) {
                CommonUnits_SetErrorId(group.m_nId < 0 ? CONTACT_RESULT_BAD_GROUP_ID
                                                       : CONTACT_RESULT_NAME_OR_ID_IN_USE);
                bAllTaken = false;
            } else if (MyInsertGroup(group, false) < 0) {
                bAllTaken = false;
            } else {
                markId(group.m_nId);
            }
        }
        if (bBuiltInPass) {
            MyRepairBuiltInGroups(pRewrite);
            markId(kAllContactsGroupId);  // both are in the list now
            markId(kBlacklistGroupId);
        }
    }
    return bAllTaken;
}

void CContactGeneralModel::MyRepairBuiltInGroups(bool* pRepaired) {
    if (MyFindGroupById(kAllContactsGroupId) == nullptr) {
        m_listGroup.insert(m_listGroup.begin(),
                           std::make_unique<GroupData>(MyBuiltInGroup(kAllContactsGroupId)));
        *pRepaired = true;
    }
    if (MyFindGroupById(kBlacklistGroupId) == nullptr) {
        m_listGroup.push_back(std::make_unique<GroupData>(MyBuiltInGroup(kBlacklistGroupId)));
        *pRepaired = true;
    }
}

bool CContactGeneralModel::MyLoadContactFromXmlFile(const std::string& strFileName) {
    return MyNoThrow(false, [&]() -> bool {
        CContactFileFormat format(CContactFileFormat::READING);
        ItemList listRead;
        if (!CContactFileReader::ReadContacts(ETL_MiscHelper::pathMapToRoot(DataPath(strFileName)), format,
                                              &listRead)) {
            return false;
        }
        const std::vector<int> listGroupIds = MySortedGroupIds();
        bool bAllTaken = true;
        // The numbers are indexed once the list is whole, also when the load ends early.
        struct DeferredIndex {
            CContactGeneralModel& model;
            ~DeferredIndex() { model.MyRebuildNumberIndex(); }
        } deferred{*this};
        m_bIndexDeferred = true;
        m_listItem.reserve(m_listItem.size() + listRead.size());
        for (std::unique_ptr<ItemData>& pItem : listRead) {
            if (!MyTakeLoadedContact(std::move(pItem), listGroupIds)) {
                bAllTaken = false;
            }
        }
        // A file far beyond the limits leaves most of that room unused.
        if (m_listItem.capacity() / 2 > m_listItem.size()) {
            m_listItem.shrink_to_fit();
        }
        return bAllTaken;
    });
}

void CContactGeneralModel::MyRemoveStaleTempFiles() {
    int nRemoved = ETL_MiscHelper::fileRemoveStaleTemps(kLocalUpdateMarkFile);
    for (const char* pFileName : {kLocalGroupFileName, kLocalContactFileName, kLocalExportFileName}) {
        nRemoved += ETL_MiscHelper::fileRemoveStaleTemps(DataPath(pFileName));
    }
    if (nRemoved > 0) {
        app_log(6, APP_LOG_INFO, "Local contact: removed %d temporary file(s) left by interrupted saves.\n",
                nRemoved);
    }
}

bool CContactGeneralModel::ReloadGroupXml() {
    const bool bCleared = MyClearGroupList();
    const bool bLoaded = MyLoadGroupFromXmlFile(kLocalGroupFileName);
    return bCleared && bLoaded;
}

bool CContactGeneralModel::ReloadContactXml() {
    const bool bCleared = MyClearContactList();
    const bool bLoaded = MyLoadContactFromXmlFile(kLocalContactFileName);
    MyResetSearchKeys();
    return bCleared && bLoaded;
}

// ---- saving

bool CContactGeneralModel::MySetGroupDirty(bool bDirty) {
    m_bGroupDirty = bDirty;
    if (!bDirty) {
        return true;
    }
    m_pSearchSnapshot.reset();
    const bool bSaved = SaveGroupToXml();
    EtlMsgHandler_NotifyApp(false, kLocalContactChangedMsg, 0, 0);
    return bSaved;
}

bool CContactGeneralModel::MySetContactDirty(bool bDirty) {
    if (bDirty) {
        MyResetSearchKeys();
    }
    m_bContactDirty = bDirty;
    if (!bDirty) {
        return true;
    }
    const bool bSaved = SaveContactToXml();
    EtlMsgHandler_NotifyApp(false, kLocalContactChangedMsg, 0, 0);
    return bSaved;
}

bool CContactGeneralModel::SaveGroupToXml() {
    if (!m_bGroupDirty) {
        return true;
    }
    const bool bWritten = MyNoThrow(false, [&]() -> bool {
        pugi::xml_document doc;
        MyBuildGroupDocument(doc);
        return MyWriteDocument(doc, DataPath(kLocalGroupFileName));
    });
    if (!bWritten) {
        app_log(6, APP_LOG_WARNING, "Local contact: saving %s failed (%s), it is saved again later.\n",
                kLocalGroupFileName, std::strerror(errno));
        MyScheduleSaveRetry();
        return false;
    }
    m_bGroupDirty = false;
    SetContactUpdateMark(2);
    MyScheduleSaveRetry();
    return true;
}

bool CContactGeneralModel::SaveContactToXml() {
    if (!m_bContactDirty) {
        return true;
    }
    const bool bWritten = MyNoThrow(false, [&]() -> bool {
        CContactFileFormat format(CContactFileFormat::WRITING);
        return format.WriteContactFile(
            [this](const CContactFileFormat::ContactVisitor& visit) {
                for (const auto& pItem : m_listItem) {
                    visit(*pItem);
                }
            },
            DataPath(kLocalContactFileName));
    });
    if (!bWritten) {
        app_log(6, APP_LOG_WARNING, "Local contact: saving %s failed (%s), it is saved again later.\n",
                kLocalContactFileName, std::strerror(errno));
        MyScheduleSaveRetry();
        return false;
    }
    m_bContactDirty = false;
    SetContactUpdateMark(1);
    MyScheduleSaveRetry();
    return true;
}

bool CContactGeneralModel::OnTimeoutSaveGroup(unsigned int nTimerId) {
    if (nTimerId != static_cast<unsigned int>(kLocalSaveTimerId)) {
        return false;
    }
    const bool bSaved = SaveGroupToXml();
    SetContactUpdateMark(0);
    MyScheduleSaveRetry();
    return bSaved && !m_bMarkUnwritten;
}

bool CContactGeneralModel::OnTimeoutSaveContact(unsigned int nTimerId) {
    if (nTimerId != static_cast<unsigned int>(kLocalSaveTimerId)) {
        return false;
    }
    const bool bSaved = SaveContactToXml();
    SetContactUpdateMark(0);
    MyScheduleSaveRetry();
    return bSaved && !m_bMarkUnwritten;
}

void CContactGeneralModel::MyScheduleSaveRetry() {
    if (m_bGroupDirty || m_bContactDirty || m_bMarkUnwritten) {
        timerSetThreadTimer(kLocalSaveTimerId, kLocalSaveRetryMs);
    } else {
        timerKillThreadTimer(kLocalSaveTimerId);
    }
}

void CContactGeneralModel::SetContactUpdateMark(int nMask) {
    const RegistryHandle hMark = registryOpen(ETL_MiscHelper::pathMapToRoot(kLocalUpdateMarkFile), "update");
    if (hMark == REGISTRY_INVALID_HANDLE) {
        return;
    }
    const int nMarked = registryGetInt(hMark, "type", 0);
    if ((nMarked | nMask) == nMarked && !m_bMarkUnwritten) {
        return;  // the file already says so: rewriting it would change nothing
    }
    registrySetInt(hMark, "type", nMarked | nMask);
    // The INI store keeps the bit in memory either way, so only this flag remembers that the file lacks it.
    m_bMarkUnwritten = !registryFlush(hMark);
    if (m_bMarkUnwritten) {
        app_log(6, APP_LOG_WARNING,
                "Local contact: writing the update mark %s failed, it is written again later.\n",
                kLocalUpdateMarkFile);
    }
}

// ---- export

// Paths are written as held in memory and each contact names its group by name, so the file can be read
// back into another phone book whose group ids differ.
bool CContactGeneralModel::ExportContactAndGroup(std::string strPath) {
    return MyNoThrow(false, [&]() -> bool {
        if (strPath.empty()) {
            strPath = DataPath(kLocalExportFileName);
        }
        pugi::xml_document doc;
        pugi::xml_node wrapper = CContactFileFormat::AppendRoot(doc, "vp_contact");
        pugi::xml_node groups = wrapper.append_child("root_group");
        for (const auto& pGroup : m_listGroup) {
            pugi::xml_node node = groups.append_child("group");
            node.append_attribute("display_name").set_value(pGroup->m_strDisplayName.c_str());
            node.append_attribute("ring").set_value(pGroup->m_strRing.c_str());
        }
        pugi::xml_node contacts = wrapper.append_child("root_contact");
        for (const auto& pItem : m_listItem) {
            pugi::xml_node node = contacts.append_child("contact");
            node.append_attribute("display_name").set_value(pItem->m_strDisplayName.c_str());
            node.append_attribute("office_number").set_value(pItem->m_strOfficeNumber.c_str());
            node.append_attribute("mobile_number").set_value(pItem->m_strMobileNumber.c_str());
            node.append_attribute("other_number").set_value(pItem->m_strOtherNumber.c_str());
            node.append_attribute("line").set_value(pItem->m_nLine);
            node.append_attribute("ring").set_value(pItem->m_strRing.c_str());
            node.append_attribute("group_id_name").set_value(MyGId2Name(pItem->m_nGroupId).c_str());
            node.append_attribute("default_photo").set_value(pItem->m_strDefaultPhoto.c_str());
            node.append_attribute("is_favorate").set_value(CContactFileFormat::Flag(pItem->m_bFavorate));
        }
        if (!MyWriteDocument(doc, strPath)) {
            app_log(6, APP_LOG_WARNING, "Local contact: exporting to %s failed (%s).\n", strPath.c_str(),
                    std::strerror(errno));
            return false;
        }
        return true;
    });
}

void CContactGeneralModel::MyBuildGroupDocument(pugi::xml_document& doc) const {
    pugi::xml_node root = CContactFileFormat::AppendRoot(doc, "root_group");
    CContactFileFormat format(CContactFileFormat::WRITING);
    for (const auto& pGroup : m_listGroup) {
        format.AppendGroup(root, *pGroup);
    }
}

// Serialises straight into a new file that then replaces the old one atomically: the store never holds a
// copy of its files.
bool CContactGeneralModel::MyWriteDocument(const pugi::xml_document& doc, const std::string& strPath) {
    return CContactFileFormat::WriteDocument(doc, strPath);
}

}  // namespace NS_DIRECTORY
