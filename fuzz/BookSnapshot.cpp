#include "BookSnapshot.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <strings.h>


#include "CommonUnits.h"
#include "ContactFileReference.h"
#include "FuzzHarness.h"

namespace fuzzsupport {

namespace {

using NS_DIRECTORY::CContactGeneralModel;

std::string Fields(const CContactGeneralModel::ItemData& item) {
    return item.m_strDisplayName + "|" + item.m_strOfficeNumber + "|" + item.m_strMobileNumber + "|" +
           item.m_strOtherNumber + "|" + item.m_strRing + "|" + item.m_strDefaultPhoto + "|" +
           item.m_strNameIndex + "|" + std::to_string(item.m_nLine) + "|" +
           std::to_string(item.m_nSelectedPhoto) + "|" + std::to_string(item.m_nGroupId) + "|" +
           (item.m_bFavorate ? "1" : "0");
}

struct CaseLess {
    bool operator()(const std::string& a, const std::string& b) const {
        return strcasecmp(a.c_str(), b.c_str()) < 0;
    }
};

std::string ReadFile(const std::string& strPhonePath) {
    std::ifstream in(RealPath(strPhonePath), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

BookSnapshot TakeBook(const CContactGeneralModel& model) {
    BookSnapshot book;
    for (int i = 0; i < model.GetCurrentGroupCount(); ++i) {
        const CContactGeneralModel::GroupData* pGroup = model.MyFindGDataByIndex(i);
        FUZZ_CHECK(pGroup != nullptr);
        book.vecGroups.push_back(std::to_string(pGroup->m_nId) + "|" + pGroup->m_strDisplayName + "|" +
                                 pGroup->m_strRing + "|" + (pGroup->m_bReadOnly ? "1" : "0"));
    }
    for (const auto& pItem : model.MyGetItemList()) {
        book.vecContacts.push_back(Fields(*pItem));
    }
    return book;
}

namespace {

void PrintFirstDifference(const char* pKind, const std::vector<std::string>& vecExpected,
                          const std::vector<std::string>& vecActual) {
    for (std::size_t i = 0; i < std::max(vecExpected.size(), vecActual.size()); ++i) {
        const std::string strExpected = i < vecExpected.size() ? vecExpected[i] : "(none)";
        const std::string strActual = i < vecActual.size() ? vecActual[i] : "(none)";
        if (strExpected != strActual) {
            std::fprintf(stderr, "%s %zu: expected [%s]\n%*s   actual [%s]\n", pKind, i, strExpected.c_str(),
                         static_cast<int>(std::strlen(pKind)), "", strActual.c_str());
            return;
        }
    }
}

}  // namespace

void CheckSameBook(const BookSnapshot& expected, const BookSnapshot& actual, const char* pWhat) {
    if (expected == actual) {
        return;
    }
    PrintFirstDifference("group", expected.vecGroups, actual.vecGroups);
    PrintFirstDifference("contact", expected.vecContacts, actual.vecContacts);
    Fail(pWhat, __FILE__, __LINE__);
}

std::vector<std::string> ExportedPart(const CContactGeneralModel& model) {
    std::vector<std::string> vecOut;
    for (const auto& pItem : model.MyGetItemList()) {
        vecOut.push_back(pItem->m_strDisplayName + "|" + pItem->m_strOfficeNumber + "|" +
                         pItem->m_strMobileNumber + "|" + pItem->m_strOtherNumber + "|" +
                         model.MyGId2Name(pItem->m_nGroupId) + "|" + pItem->m_strRing + "|" +
                         std::to_string(pItem->m_nLine) + "|" +
                         (pItem->m_strDefaultPhoto.empty() ? std::string("-") : pItem->m_strDefaultPhoto));
    }
    return vecOut;
}

void CheckBook(const CContactGeneralModel& model, bool bChecked) {
    const CContactGeneralModel::GroupData* pAll = model.MyFindGroupById(NS_DIRECTORY::kAllContactsGroupId);
    const CContactGeneralModel::GroupData* pBlack = model.MyFindGroupById(NS_DIRECTORY::kBlacklistGroupId);
    FUZZ_CHECK(pAll != nullptr && pAll->m_strDisplayName == "All Contacts");
    FUZZ_CHECK(pBlack != nullptr && pBlack->m_strDisplayName == "Blacklist");
    std::set<int> setIds;
    std::set<std::string> setGroupNames;
    for (int i = 0; i < model.GetCurrentGroupCount(); ++i) {
        const CContactGeneralModel::GroupData* pGroup = model.MyFindGDataByIndex(i);
        FUZZ_CHECK(setIds.insert(pGroup->m_nId).second);
        FUZZ_CHECK(setGroupNames.insert(pGroup->m_strDisplayName).second);
    }
    std::set<std::string, CaseLess> setNames;
    int nBlack = 0;
    int nFavourites = 0;
    for (const auto& pItem : model.MyGetItemList()) {
        FUZZ_CHECK(setIds.count(pItem->m_nGroupId) == 1);
        const bool bNewName = setNames.insert(pItem->m_strDisplayName).second;
        FUZZ_CHECK(bNewName || !bChecked);
        nBlack += pItem->m_nGroupId == NS_DIRECTORY::kBlacklistGroupId ? 1 : 0;
        nFavourites += pItem->m_bFavorate ? 1 : 0;
    }
    FUZZ_CHECK(model.GetCurrentBlackCount() == nBlack);
    FUZZ_CHECK(model.GetCurrentFavorateCount() == nFavourites);
    if (bChecked) {
        FUZZ_CHECK(model.GetCurrentGroupCount() <= model.GetMaxGroupCount());
        FUZZ_CHECK(model.GetCurrentBlackCount() <= model.GetMaxBlackCount());
        FUZZ_CHECK(model.GetCurrentContactCount() <= model.GetMaxContactCount());
    }
}

void SaveBook(CContactGeneralModel& model) {
    model.MySetGroupDirty(false);
    model.MySetContactDirty(false);
    FUZZ_CHECK(model.MySetGroupDirty(true));
    FUZZ_CHECK(model.MySetContactDirty(true));
    FUZZ_CHECK(ReadFile("/config/data/contact_list.xml") == testsupport::ContactFileSavedByPugixml(model.MyGetItemList()));
}

void SplitLocalFiles(const std::string& strInput, std::string* pGroups, std::string* pContacts) {
    const std::size_t nSplit = strInput.find("<root_contact");
    *pGroups = strInput.substr(0, nSplit);
    *pContacts = nSplit == std::string::npos ? std::string() : strInput.substr(nSplit);
}

}  // namespace fuzzsupport
