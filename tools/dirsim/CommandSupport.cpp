#include "CommandSupport.h"

#include "CommonUnits.h"
#include "ContactGeneralModel.h"
#include "Words.h"

namespace dirsim {

using namespace NS_DIRECTORY;

namespace {

size_t Utf8Length(const std::string& strText) {
    size_t nLength = 0;
    for (unsigned char c : strText) {
        nLength += (c & 0xC0) != 0x80 ? 1 : 0;
    }
    return nLength;
}

std::string LimitOf(int nCode) {
    const CContactGeneralModel* pModel = CContactGeneralModel::GetInstance();
    if (pModel == nullptr) {
        return "";
    }
    switch (nCode) {
        case CONTACT_RESULT_CONTACTS_FULL:
            return " (at most " + std::to_string(pModel->GetMaxContactCount()) + " contacts)";
        case CONTACT_RESULT_BLACKLIST_FULL:
            return " (at most " + std::to_string(pModel->GetMaxBlackCount()) + " entries)";
        case CONTACT_RESULT_GROUPS_FULL:
            return " (at most " + std::to_string(pModel->GetMaxGroupCount()) +
                   ", the two built-in ones included)";
        default:
            return "";
    }
}

std::string WithFolder(const std::string& strGiven, const std::string& strFolder) {
    return strGiven.empty() || strGiven.find('/') != std::string::npos ? strGiven : strFolder + strGiven;
}

}  // namespace

std::vector<ParamDef> PageParams() {
    return {{"page", ParamKind::Option, ParamType::Int, false, false, "page number, from 1 (default 1)"},
            {"size", ParamKind::Option, ParamType::Int, false, false, "entries per page (default 10)"}};
}

bool ReadPage(const Args& args, PageRequest* pPage, std::string* pError) {
    pPage->nPage = args.Int("page", 1);
    pPage->nSize = args.Int("size", kDefaultPageSize);
    if (pPage->nPage < 1) {
        *pError = "--page counts from 1";
        return false;
    }
    if (pPage->nSize < 1 || pPage->nSize > 1000) {
        *pError = "--size must be between 1 and 1000";
        return false;
    }
    return true;
}

std::string Counted(int nCount, const std::string& strSingular) {
    std::string strNoun = strSingular;
    if (nCount != 1) {
        const bool bSibilant = strNoun.size() >= 2 && (strNoun.compare(strNoun.size() - 2, 2, "ch") == 0 ||
                                                       strNoun.compare(strNoun.size() - 2, 2, "sh") == 0);
        if (bSibilant || strNoun.back() == 's' || strNoun.back() == 'x') {
            strNoun += "es";
        } else if (strNoun.back() == 'y') {
            strNoun.back() = 'i';
            strNoun += "es";
        } else {
            strNoun += "s";
        }
    }
    return std::to_string(nCount) + " " + strNoun;
}

std::string PageSummary(const PageRequest& page, int nTotal, const std::string& strNoun) {
    const int nPages = nTotal == 0 ? 1 : (nTotal + page.nSize - 1) / page.nSize;
    return "page " + std::to_string(page.nPage) + " of " + std::to_string(nPages) + ", " +
           Counted(nTotal, strNoun);
}

json PageJson(const PageRequest& page, int nTotal) {
    const int nPages = nTotal == 0 ? 1 : (nTotal + page.nSize - 1) / page.nSize;
    return json{{"page", page.nPage}, {"pages", nPages}, {"size", page.nSize}, {"total", nTotal}};
}

std::string Pad(const std::string& strText, size_t nWidth) {
    const size_t nLength = Utf8Length(strText);
    return nLength >= nWidth ? strText : strText + std::string(nWidth - nLength, ' ');
}

json ContactJson(const ContactGeneralItemData& data, bool bFavourite) {
    return json{{"name", data.m_strDisplayName},    {"group", data.m_strGroupName},
                {"office", data.m_strOfficeNumber}, {"mobile", data.m_strMobileNumber},
                {"other", data.m_strOtherNumber},   {"ring", data.m_strRing},
                {"photo", data.m_strDefaultPhoto},  {"line", data.m_nLine},
                {"favourite", bFavourite}};
}

std::string ContactLine(int nNumber, const ContactGeneralItemData& data, bool bFavourite, bool bWithGroup) {
    std::string strLine = Pad(std::to_string(nNumber) + ".", 5) + Pad(data.m_strDisplayName, 26);
    if (bWithGroup) {
        strLine += Pad("[" + data.m_strGroupName + "]", 15);
    }
    const std::pair<const char*, const std::string*> numbers[] = {{"mobile", &data.m_strMobileNumber},
                                                                  {"office", &data.m_strOfficeNumber},
                                                                  {"other", &data.m_strOtherNumber}};
    for (const auto& number : numbers) {
        if (!number.second->empty()) {
            strLine += std::string(" ") + number.first + " " + *number.second;
        }
    }
    return strLine + (bFavourite ? "  *favourite" : "");
}

std::vector<std::string> ContactDetailLines(const ContactGeneralItemData& data, bool bFavourite) {
    std::vector<std::string> vecLines = {data.m_strDisplayName + (bFavourite ? "  (favourite)" : ""),
                                         "  group:  " + data.m_strGroupName};
    const std::pair<const char*, const std::string*> fields[] = {{"  mobile: ", &data.m_strMobileNumber},
                                                                 {"  office: ", &data.m_strOfficeNumber},
                                                                 {"  other:  ", &data.m_strOtherNumber},
                                                                 {"  ring:   ", &data.m_strRing},
                                                                 {"  photo:  ", &data.m_strDefaultPhoto}};
    for (const auto& field : fields) {
        if (!field.second->empty()) {
            vecLines.push_back(field.first + *field.second);
        }
    }
    vecLines.push_back("  line:   " + std::to_string(data.m_nLine));
    return vecLines;
}

std::vector<std::string> FavouriteNames() {
    std::vector<std::string> vecNames;
    const CContactGeneralModel* pModel = CContactGeneralModel::GetInstance();
    ContactGeneralItemListData list;
    list.m_nCountToGet = 1 << 20;
    if (pModel != nullptr && pModel->GetFavorateList(&list)) {
        for (const ContactGeneralItemData& data : list.m_listData) {
            vecNames.push_back(data.m_strDisplayName);
        }
    }
    return vecNames;
}

bool Contains(const std::vector<std::string>& vecNames, const std::string& strName) {
    for (const std::string& strEntry : vecNames) {
        if (strEntry == strName) {
            return true;
        }
    }
    return false;
}

Result LocalRefusal(const std::string& strWhat) {
    const int nCode = CommonUnits_GetErrorId();
    Result result = Result::Fail(strWhat + ": " + LocalRefusalText(nCode) + LimitOf(nCode));
    result.data["code"] = nCode;
    return result;
}

void ClearLocalCode() {
    CommonUnits_SetErrorId(0);
}

std::string RingPath(const std::string& strGiven) {
    return WithFolder(strGiven, CommonUnits_GetDefaultRingFolder());
}

std::string PhotoPath(const std::string& strGiven) {
    return WithFolder(strGiven, CommonUnits_GetDefaultPhotoFolder());
}

}  // namespace dirsim
