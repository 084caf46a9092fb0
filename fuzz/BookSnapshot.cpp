#include "BookSnapshot.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <strings.h>

#include <pugixml.hpp>

#include "CommonUnits.h"
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

// What pugixml saves, one tab per level, for a document of the book's contacts built here attribute by
// attribute, each path in its stored form.
std::string SavedByPugixml(const CContactGeneralModel& model) {
    pugi::xml_document doc;
    pugi::xml_node declaration = doc.append_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "utf-8";
    pugi::xml_node root = doc.append_child("root_contact");
    const auto stored = [](std::string strPath, int nFileType) {
        CommonUnits_Real2Hide(strPath, nFileType);
        return strPath;
    };
    for (const auto& pItem : model.MyGetItemList()) {
        pugi::xml_node node = root.append_child("contact");
        const auto add = [&node](const char* pName, const std::string& strValue) {
            node.append_attribute(pName) = strValue.c_str();
        };
        add("display_name", pItem->m_strDisplayName);
        add("office_number", pItem->m_strOfficeNumber);
        add("mobile_number", pItem->m_strMobileNumber);
        add("other_number", pItem->m_strOtherNumber);
        add("line", std::to_string(pItem->m_nLine));
        add("ring", stored(pItem->m_strRing, PHFILE_TYPE_RING));
        add("group_id_name", std::to_string(pItem->m_nGroupId));
        add("default_photo", stored(pItem->m_strDefaultPhoto, PHFILE_TYPE_PHOTO));
        add("selected_photo", std::to_string(pItem->m_nSelectedPhoto));
        add("is_favorate", pItem->m_bFavorate ? "1" : "0");
        add("name_index", pItem->m_strNameIndex);
    }
    std::ostringstream out;
    doc.save(out, "\t", pugi::format_indent, pugi::encoding_auto);
    return out.str();
}

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
    FUZZ_CHECK(ReadFile("/config/data/contact_list.xml") == SavedByPugixml(model));
}

void SplitLocalFiles(const std::string& strInput, std::string* pGroups, std::string* pContacts) {
    const std::size_t nSplit = strInput.find("<root_contact");
    *pGroups = strInput.substr(0, nSplit);
    *pContacts = nSplit == std::string::npos ? std::string() : strInput.substr(nSplit);
}

}  // namespace fuzzsupport
