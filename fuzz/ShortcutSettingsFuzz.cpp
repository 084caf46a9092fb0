// "favorite_setting.xml": the shortcuts on offer are the enabled items of a usable file whose directory is
// available, by priority (items of one priority in file order), and every window is a slice of them.
// Seeds: fuzz/seeds/ShortcutSettings

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "ConfigParser.h"
#include "DirectoryShortcut.h"
#include "FuzzHarness.h"
#include "RemoteFuzzModel.h"

namespace {

struct Offer {
    std::string strId;
    int nPriority;
};

std::vector<std::string> ExpectedOffers(const std::string& strInput, bool bBroadSoft, bool bLdap) {
    pugi::xml_document doc;
    std::vector<Offer> vecOffers;
    if (!doc.load_buffer(strInput.data(), strInput.size())) {
        return {};
    }
    for (pugi::xml_node item = doc.child("root_favorite_set").child("item"); item;
         item = item.next_sibling("item")) {
        const std::string strId = item.attribute("id_name").value();
        if (item.attribute("enable").as_int(0) != 1) {
            continue;
        }
        const bool bAvailable = strId == "broadsoftdirectory" || strId == "networkcalllog" ? bBroadSoft
                                : strId == "ldap"                                          ? bLdap
                                                  : strId != "remotedirectory";
        if (bAvailable) {
            vecOffers.push_back({strId, item.attribute("priority").as_int(0)});
        }
    }
    std::stable_sort(vecOffers.begin(), vecOffers.end(),
                     [](const Offer& a, const Offer& b) { return a.nPriority < b.nPriority; });
    std::vector<std::string> vecIds;
    for (const Offer& offer : vecOffers) {
        vecIds.push_back(offer.strId);
    }
    return vecIds;
}

std::vector<std::string> Listed(int nFrom, int nCount) {
    NS_DIRECTORY::DirShortcutListData data;
    data.m_nIndexFrom = nFrom;
    data.m_nCountToGet = nCount;
    FUZZ_CHECK(NS_DIRECTORY::CDirectoryShortcut::GetInstance()->GetShortcutList(&data));
    std::vector<std::string> vecIds;
    for (const NS_DIRECTORY::DirShortcutData& shortcut : data.m_listData) {
        vecIds.push_back(shortcut.m_strIdName);
    }
    FUZZ_CHECK(data.m_nTotalCount == static_cast<int>(vecIds.size()));
    return vecIds;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    fuzzsupport::FreshRemoteModel();  // without slots: the remote directory is never on offer
    const std::string strInput = fuzzsupport::Text(pData, nSize);
    const bool bBroadSoft = (nSize & 1) != 0;
    const bool bLdap = (nSize & 2) != 0;
    configParser_SetConfigInt("BSFTActive", bBroadSoft ? 1 : 0);
    configParser_SetConfigInt("LDAPSwitch", bLdap ? 1 : 0);
    fuzzsupport::WriteFile("/config/data/favorite_setting.xml", strInput);

    const std::vector<std::string> vecExpected = ExpectedOffers(strInput, bBroadSoft, bLdap);
    FUZZ_CHECK(Listed(0, INT_MAX) == vecExpected);
    const std::size_t nFrom = std::min<std::size_t>(1, vecExpected.size());
    const std::size_t nTo = std::min<std::size_t>(3, vecExpected.size());
    FUZZ_CHECK(Listed(1, 2) ==
               std::vector<std::string>(vecExpected.begin() + nFrom, vecExpected.begin() + nTo));
    FUZZ_CHECK(Listed(INT_MAX, INT_MAX).empty());
    return 0;
}
