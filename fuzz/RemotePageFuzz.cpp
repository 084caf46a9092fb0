// The paging page reader: it reads exactly the well-formed pages with a directory at the top, keeps at most
// 5000 named entries with trimmed numbers, and remembers the URL of the last page key of each direction.
// Seeds: tests/data/remote realdocs/phone-xml

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "ContactRemotePageAction.h"
#include "FuzzHarness.h"
#include "RemoteFuzzModel.h"

namespace {

bool HasDirectoryAtTop(const pugi::xml_document& doc) {
    for (pugi::xml_node node = doc.first_child(); node; node = node.next_sibling()) {
        const std::size_t nName = std::strlen(node.name());
        if (node.type() == pugi::node_element && nName >= 16 &&
            std::strcmp(node.name() + nName - 16, "IPPhoneDirectory") == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    fuzzsupport::Sandbox(false);
    fuzzsupport::WriteFile("/tmp/RemotePage.xml", fuzzsupport::Text(pData, nSize));
    pugi::xml_document doc;
    const bool bExpected = doc.load_buffer(pData, nSize) && HasDirectoryAtTop(doc);
    NS_DIRECTORY::RemotePageContent page;
    const bool bRead = NS_DIRECTORY::CContactRemoteModel::MyPrasePageFile("/tmp/RemotePage.xml", 5000, &page);
    FUZZ_CHECK(bRead == bExpected);
    int nEntries = 0;
    std::string strNext;
    std::string strPrev;
    for (const NS_DIRECTORY::ContactRemoteItemBase* pItem : page.m_listPageItem) {
        if (const NS_DIRECTORY::ContactRemoteUnit* pUnit = NS_DIRECTORY::Base2Unit(pItem)) {
            ++nEntries;
            FUZZ_CHECK(!pUnit->m_strName.empty());
            for (const std::string& strNumber : pUnit->m_listNumber) {
                FUZZ_CHECK(!strNumber.empty() && strNumber.front() != ' ' && strNumber.back() != ' ');
            }
        } else {
            const NS_DIRECTORY::ContactRemotePageKey* pKey = NS_DIRECTORY::Base2PageKey(pItem);
            FUZZ_CHECK(pKey != nullptr && !pKey->m_strName.empty() && !pKey->m_strUrl.empty());
            if (pKey->m_strName == "next-page") {
                strNext = pKey->m_strUrl;
            } else if (pKey->m_strName == "previous-page") {
                strPrev = pKey->m_strUrl;
            }
        }
    }
    FUZZ_CHECK(nEntries <= 5000);
    FUZZ_CHECK(page.m_strNextPageUrl == strNext);
    FUZZ_CHECK(page.m_strPrevPageUrl == strPrev);
    FUZZ_CHECK(bRead || page.m_listPageItem.empty());
    return 0;
}
