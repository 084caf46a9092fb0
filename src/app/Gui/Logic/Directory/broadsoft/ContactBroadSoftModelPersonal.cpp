// Editing the Personal directory: adds uploaded as the entry document "Personal.xml", deletes sent to each
// entry's own URL one at a time, and edits made of a delete and, once it is answered, an add.

#include <strings.h>

#include <fstream>
#include <memory>
#include <new>
#include <sstream>

#include <pugixml.hpp>

#include "AppLog.h"
#include "CommonAPI.h"
#include "CommonUnits.h"
#include "ContactBroadSoftModel.h"
#include "DirectoryEntry.h"
#include "UrlCodec.h"
#include "XmlSafeText.h"

namespace NS_DIRECTORY {

namespace {

using Lock = std::lock_guard<ETL_BaseHelper::chCriticalSection>;

const char* const kDataFolder = "/config/data/";
const char* const kPersonalBaseName = "Personal";
const char* const kXsiNamespace = "http://schema.broadsoft.com/xsi";
// A delete sends no file; the action still needs a local path.
const char* const kNoLocalFile = "xxx";
constexpr int kDuplicateName = -2;
constexpr int kNoNetwork = -14;

std::string Lower(const std::string& strText) {
    return CommonAPI_StringConvert(strText, STRING_CONVERT_TO_LOWER);
}

// The entry URL of a name: the name is one encoded path segment, so any "/" in it stays inside it.
std::string EntryUrl(const std::string& strUrl, const std::string& strName) {
    return strUrl + "/" + CommonAPI_UrlEncode(strName);
}

ContactBroadSoftPersonal CleanedRecord(const ContactBroadSoftPersonal& item) {
    ContactBroadSoftPersonal record;
    record.m_strName = XmlSafeText(item.m_strName);
    record.m_strNumber = XmlSafeText(item.m_strNumber);
    return record;
}

// The answer of work that allocates; false when memory ran out.
template <class Work>
bool FalseWhenOutOfMemory(const char* pWhat, Work work) {
    try {
        return work();
    } catch (const std::bad_alloc&) {
        app_log(6, APP_LOG_WARNING, "CContactBroadSoftModel::%s out of memory\n", pWhat);
        return false;
    }
}

void AppendTextElement(pugi::xml_node parent, const char* pName, const std::string& strText) {
    parent.append_child(pName).text().set(strText.c_str());
}

}  // namespace

bool CContactBroadSoftModel::AddContact2Personal(ContactBroadSoftPersonal* pItem) {
    if (pItem == nullptr) {
        return false;
    }
    try {
        if (XmlSafeText(pItem->m_strName).empty() || XmlSafeText(pItem->m_strNumber).empty()) {
            return false;
        }
        const std::string strUrl = MyPersonalV2Url();
        return !strUrl.empty() && AddPersonal(strUrl, *pItem, false);
    } catch (const std::bad_alloc&) {
        app_log(6, APP_LOG_WARNING, "CContactBroadSoftModel::AddContact2Personal out of memory\n");
        return false;
    }
}

std::string CContactBroadSoftModel::MyPersonalV2Url() {
    Lock lock(m_csLock);
    for (const auto& pConfig : m_vecConfig) {
        if (!pConfig->m_strUrl.empty() && IsPersonal(pConfig->m_strUrl) && !IsV1_0(pConfig->m_strUrl)) {
            return pConfig->m_strUrl;
        }
    }
    return std::string();
}

bool CContactBroadSoftModel::AddPersonal(const std::string& strUrl, const ContactBroadSoftPersonal& item,
                                         bool bSync) {
    app_log(6, APP_LOG_INFO, "CContactBroadSoftModel::AddPersonal\n");
    try {
        const ContactBroadSoftPersonal record = CleanedRecord(item);
        {
            Lock lock(m_csLock);
            ListItemData* pData = strUrl == BSFT_ALL_CONTACT ? nullptr : MyFindItemData(strUrl);
            if (pData == nullptr) {
                app_log(6, APP_LOG_WARNING, "pList == NULL\n");
                return false;
            }
            const bool bLoaded = pData->m_eStatus == LIST_LOADED;
            const int nPosition = bLoaded ? MyPersonalInsertPosition(*pData, Lower(record.m_strName)) : 0;
            if (nPosition < 0) {
                CommonUnits_SetErrorId(kDuplicateName);
                return false;
            }
            // An entry that cannot be written is neither shown nor sent.
            if (!SaveToFile(record)) {
                return false;
            }
            if (bLoaded) {
                const bool bInserted = static_cast<std::size_t>(nPosition) < pData->m_listItem.size();
                app_log(6, APP_LOG_INFO, "AddPersonal:isSuc = %d\n", bInserted ? 1 : 0);
                auto pCopy = std::make_unique<ContactBroadSoftPersonal>(record);
                pData->m_listItem.insert(pData->m_listItem.begin() + nPosition, pCopy.get());
                pCopy.release();
                MyListsChanged();
            }
        }
        return MyExecPost(strUrl, kPersonalBaseName, bSync);
    } catch (const std::bad_alloc&) {
        app_log(6, APP_LOG_WARNING, "CContactBroadSoftModel::AddPersonal out of memory\n");
        return false;
    }
}

int CContactBroadSoftModel::MyPersonalInsertPosition(const ListItemData& data,
                                                     const std::string& strLowerName) {
    const BroadSoftItemList& listItem = data.m_listItem;
    std::size_t nPosition = listItem.size();
    // The whole list is checked: the server's order need not be the lower-cased one.
    for (std::size_t i = 0; i < listItem.size(); ++i) {
        const ContactBroadSoftPersonal* pPersonal = Base2Personal(listItem[i]);
        if (pPersonal == nullptr) {
            continue;
        }
        const std::string strLower = Lower(pPersonal->m_strName);
        if (strLower == strLowerName) {
            return -1;
        }
        if (strLower > strLowerName && nPosition == listItem.size()) {
            nPosition = i;
        }
    }
    return static_cast<int>(nPosition);
}

bool CContactBroadSoftModel::SaveToFile(const ContactBroadSoftPersonal& item) {
    return FalseWhenOutOfMemory("SaveToFile", [&] {
        pugi::xml_document doc;
        pugi::xml_node declaration = doc.prepend_child(pugi::node_declaration);
        declaration.append_attribute("version").set_value("1.0");
        declaration.append_attribute("encoding").set_value("utf-8");
        pugi::xml_node root = doc.append_child("Personal");
        root.append_attribute("xmlns").set_value(kXsiNamespace);
        AppendTextElement(root, "startIndex", "1");
        AppendTextElement(root, "numberOfRecords", "1");
        AppendTextElement(root, "totalAvailableRecords", "1");
        pugi::xml_node entry = root.append_child("entry");
        AppendTextElement(entry, "name", XmlSafeText(item.m_strName));
        AppendTextElement(entry, "number", XmlSafeText(item.m_strNumber));
        std::ostringstream text;
        doc.save(text, "\t", pugi::format_default, pugi::encoding_auto);
        const std::string strPath = std::string(kDataFolder) + kPersonalBaseName + ".xml";
        if (!ETL_MiscHelper::fileWriteAtomic(strPath, text.str())) {
            app_log(6, APP_LOG_WARNING, "CContactBroadSoftModel::SaveToFile cannot write %s\n",
                    strPath.c_str());
            return false;
        }
        return true;
    });
}

std::string CContactBroadSoftModel::MyTakeUploadSnapshot(const std::string& strSource) {
    std::ifstream in(ETL_MiscHelper::pathMapToRoot(strSource), std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    const std::string strSnapshot =
        "/tmp/" + CommonAPI_FormatString("BroadSoftUpload_%d.xml", ++m_nUploadIndex);
    if (!in || !ETL_MiscHelper::fileWriteAtomic(strSnapshot, content.str())) {
        app_log(6, APP_LOG_WARNING, "BroadSoft upload of %s not prepared\n", strSource.c_str());
        return std::string();
    }
    return strSnapshot;
}

bool CContactBroadSoftModel::MyExecPost(const std::string& strUrl, const std::string& strBaseName,
                                        bool /*bSync*/) {
    if (!IsNetworkConnected()) {
        return false;
    }
    const std::string strSnapshot = MyTakeUploadSnapshot(kDataFolder + strBaseName + ".xml");
    if (strSnapshot.empty()) {
        return false;
    }
    NS_TA::CNetworkFileAction* pAction = TaskAction_CreateNetworkFileAction(strSnapshot, strUrl);
    if (pAction == nullptr) {
        ETL_MiscHelper::fileRemove(strSnapshot);
        return false;
    }
    pAction->SetRead(false);
    pAction->SetSync(false);
    pAction->SetCallback(this);
    pAction->SetUsername(m_strUserId);
    pAction->SetPassword(m_strPassword);
    if (!MyHandOver(pAction)) {
        ETL_MiscHelper::fileRemove(strSnapshot);
        return false;
    }
    return true;
}

bool CContactBroadSoftModel::EditPersonalContact(const std::string& strClickAction,
                                                 const std::string& strOldName,
                                                 const ContactBroadSoftPersonal& item) {
    return FalseWhenOutOfMemory("EditPersonalContact", [&] {
        const std::string strUrl = GetCofigUrl(strClickAction);
        return !strUrl.empty() && IsPersonal(strUrl) && !IsV1_0(strUrl) &&
               EditPersonal(strUrl, strOldName, item);
    });
}

bool CContactBroadSoftModel::EditPersonal(const std::string& strUrl, const std::string& strOldName,
                                          const ContactBroadSoftPersonal& item) {
    app_log(6, APP_LOG_INFO, "CContactBroadSoftModel::EditPersonal\n");
    if (!IsNetworkConnected()) {
        CommonUnits_SetErrorId(kNoNetwork);
        return false;
    }
    try {
        const ContactBroadSoftPersonal record = CleanedRecord(item);
        if (record.m_strName.empty() || record.m_strNumber.empty()) {
            return false;
        }
        {
            Lock lock(m_csLock);
            ListItemData* pData = strUrl == BSFT_ALL_CONTACT ? nullptr : MyFindItemData(strUrl);
            if (pData == nullptr) {
                app_log(6, APP_LOG_WARNING, "pList == NULL\n");
                return false;
            }
            BroadSoftItemList& listItem = pData->m_listItem;
            auto itOld = listItem.end();
            for (auto it = listItem.begin(); it != listItem.end(); ++it) {
                const ContactBroadSoftPersonal* pPersonal = Base2Personal(*it);
                if (pPersonal == nullptr) {
                    continue;
                }
                if (pPersonal->m_strName == strOldName) {
                    itOld = it;
                } else if (strcasecmp(pPersonal->m_strName.c_str(), record.m_strName.c_str()) == 0) {
                    CommonUnits_SetErrorId(kDuplicateName);
                    app_log(6, APP_LOG_INFO, "CContactBroadSoftModel::EditPersonal Found ReName Contact!\n");
                    return false;
                }
            }
            if (itOld == listItem.end()) {
                return false;
            }
            delete *itOld;
            listItem.erase(itOld);
            MyListsChanged();
        }
        if (!MyExecDelete(strUrl, strOldName, false)) {
            return false;
        }
        m_mapEditPersonal.emplace(EntryUrl(strUrl, strOldName), record);
        return true;
    } catch (const std::bad_alloc&) {
        app_log(6, APP_LOG_WARNING, "CContactBroadSoftModel::EditPersonal out of memory\n");
        return false;
    }
}

bool CContactBroadSoftModel::DeleteContactsInPersonal(const std::list<std::string>& listNames,
                                                      const std::string& strClickAction) {
    return FalseWhenOutOfMemory("DeleteContactsInPersonal", [&] {
        const std::string strUrl = GetCofigUrl(strClickAction);
        return !strUrl.empty() && IsPersonal(strUrl) && !IsV1_0(strUrl) &&
               BeforeDeleteList(strUrl, listNames) && DeletePersonal(strUrl);
    });
}

bool CContactBroadSoftModel::BeforeDeleteList(const std::string& strUrl,
                                              const std::list<std::string>& listNames) {
    if (!IsNetworkConnected() || listNames.empty()) {
        return false;
    }
    try {
        std::list<std::string> listNew = listNames;
        Lock lock(m_csLock);
        ListItemData* pData = strUrl == BSFT_ALL_CONTACT ? nullptr : MyFindItemData(strUrl);
        if (pData == nullptr) {
            app_log(6, APP_LOG_WARNING, "pList == NULL\n");
            return false;
        }
        BroadSoftItemList& listItem = pData->m_listItem;
        for (const std::string& strName : listNew) {
            for (auto it = listItem.begin(); it != listItem.end(); ++it) {
                const ContactBroadSoftPersonal* pPersonal = Base2Personal(*it);
                if (pPersonal != nullptr && pPersonal->m_strName == strName) {
                    delete *it;
                    listItem.erase(it);
                    break;
                }
            }
        }
        MyListsChanged();
        // Merged as two ordered runs: of equal names the pending one stays first.
        auto itPending = m_listDeleteName.begin();
        while (!listNew.empty()) {
            if (itPending == m_listDeleteName.end() || listNew.front() < *itPending) {
                m_listDeleteName.splice(itPending, listNew, listNew.begin());
            } else {
                ++itPending;
            }
        }
        return true;
    } catch (const std::bad_alloc&) {
        app_log(6, APP_LOG_WARNING, "CContactBroadSoftModel::BeforeDeleteList out of memory\n");
        return false;
    }
}

bool CContactBroadSoftModel::DeletePersonal(const std::string& strUrl) {
    app_log(6, APP_LOG_INFO, "CContactBroadSoftModel::DeletePersonal\n");
    if (m_listDeleteName.empty()) {
        return false;
    }
    std::string strName;
    strName.swap(m_listDeleteName.front());
    m_listDeleteName.pop_front();
    return !strName.empty() &&
           FalseWhenOutOfMemory("DeletePersonal", [&] { return MyExecDelete(strUrl, strName, false); });
}

bool CContactBroadSoftModel::MyDeleteNext(const std::string& strEntryUrl) {
    const std::size_t nSlash = strEntryUrl.rfind('/');
    if (nSlash == std::string::npos) {
        return false;
    }
    const std::string strUrl = strEntryUrl.substr(0, nSlash);
    const std::string strName = strEntryUrl.substr(nSlash + 1);
    app_log(6, APP_LOG_INFO, "CContactBroadSoftModel::RetryMyExecDelete,strUrl = %s,strName = %s\n",
            strUrl.c_str(), strName.c_str());
    return DeletePersonal(strUrl);
}

bool CContactBroadSoftModel::MyExecDelete(const std::string& strUrl, const std::string& strName, bool bSync) {
    if (!IsNetworkConnected() || strName.empty()) {
        return false;
    }
    NS_TA::CNetworkFileAction* pAction =
        TaskAction_CreateNetworkFileAction(kNoLocalFile, EntryUrl(strUrl, strName));
    if (pAction == nullptr) {
        return false;
    }
    pAction->SetRead(false);
    pAction->SetDelete(true);
    pAction->SetSync(bSync);
    pAction->SetUsername(m_strUserId);
    pAction->SetPassword(m_strPassword);
    pAction->SetCallback(this);
    return MyHandOver(pAction);
}

void CContactBroadSoftModel::MyOnDeleteAnswered(NS_TA::CNetworkFileAction* pAction,
                                                const std::string& strUrl) {
    if (!pAction->IsOperationSucceed()) {
        app_log(6, APP_LOG_WARNING, "BroadSoft delete of %s refused (error %d, HTTP %ld)\n", strUrl.c_str(),
                static_cast<int>(pAction->GetTaskActionErrorType()), pAction->GetHttpStatus());
    }
    if (!m_listDeleteName.empty()) {
        MyDeleteNext(strUrl);
    }
    app_log(6, APP_LOG_INFO, "Url = %s\n", strUrl.c_str());
    const auto found = m_mapEditPersonal.find(strUrl);
    if (found == m_mapEditPersonal.end()) {
        return;
    }
    const ContactBroadSoftPersonal record = found->second;
    m_mapEditPersonal.erase(found);
    MyAddEditedPersonal(strUrl.substr(0, strUrl.rfind('/')), record);
}

void CContactBroadSoftModel::MyAddEditedPersonal(const std::string& strUrl,
                                                 const ContactBroadSoftPersonal& item) {
    bool bHasList = false;
    {
        Lock lock(m_csLock);
        bHasList = MyFindItemData(strUrl) != nullptr;
    }
    const bool bSent = bHasList ? AddPersonal(strUrl, item, true)
                                : SaveToFile(item) && MyExecPost(strUrl, kPersonalBaseName, true);
    if (!bSent) {
        app_log(6, APP_LOG_WARNING, "BroadSoft edited entry %s not uploaded\n", item.m_strName.c_str());
    }
}

void CContactBroadSoftModel::MyOnUploadAnswered(NS_TA::CNetworkFileAction* pAction) {
    if (!pAction->IsOperationSucceed()) {
        app_log(6, APP_LOG_WARNING, "BroadSoft upload to %s refused (error %d, HTTP %ld)\n",
                pAction->GetFilePathRemote().c_str(), static_cast<int>(pAction->GetTaskActionErrorType()),
                pAction->GetHttpStatus());
    }
}

}  // namespace NS_DIRECTORY
