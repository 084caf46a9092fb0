// A downloaded document end to end, from the file: it parses exactly when it is well-formed and one of its
// top-level nodes names one of the three formats, and the tree then passes the common checks. The same bytes
// kept in memory, as downloads keep them, give the same result and the same tree.
// Seeds: tests/data/remote realdocs/phone-xml

#include <cstddef>
#include <cstdint>
#include <climits>
#include <cstring>
#include <list>
#include <string>

#include "FuzzHarness.h"
#include "RemoteFuzzModel.h"

namespace NS_DIRECTORY {

class RemoteModelPeer {
public:
    static bool ParseBody(CContactRemoteModel& model, const std::string& strBody) {
        return model.MyParseDownloadedBody("/tmp/RemoteDirectory.fuzz.xml", REMOTE_ROOT_KEY, strBody);
    }
};

}  // namespace NS_DIRECTORY

namespace {

// Every item below the root as the GUI lists it.
std::list<std::string> Listed(NS_DIRECTORY::CContactRemoteModel& model) {
    NS_DIRECTORY::ContactRemoteListData list;
    list.m_nCountToGet = INT_MAX;
    model.GetContactList(&list, NS_DIRECTORY::REMOTE_ROOT_KEY);
    std::list<std::string> listItems;
    for (const NS_DIRECTORY::ContactRemoteItemData& item : list.m_listData) {
        std::string strItem = std::to_string(item.m_eType) + ":" + item.m_strDisplayName;
        for (const std::string& strNumber : item.m_listNumber) {
            strItem += "," + strNumber;
        }
        listItems.push_back(std::move(strItem));
    }
    return listItems;
}

bool EndsWith(const char* pName, const char* pSuffix) {
    const std::size_t nName = std::strlen(pName);
    const std::size_t nSuffix = std::strlen(pSuffix);
    return nName >= nSuffix && std::strcmp(pName + nName - nSuffix, pSuffix) == 0;
}

bool NamesAFormat(const pugi::xml_document& doc) {
    for (pugi::xml_node node = doc.first_child(); node; node = node.next_sibling()) {
        if (EndsWith(node.name(), "IPPhoneMenu") || EndsWith(node.name(), "IPPhoneDirectory") ||
            EndsWith(node.name(), "IPPhoneBook")) {
            return true;
        }
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    NS_DIRECTORY::CContactRemoteModel& model = fuzzsupport::FreshRemoteModel();
    fuzzsupport::WriteFile("/tmp/RemoteDirectory.fuzz.xml", fuzzsupport::Text(pData, nSize));
    pugi::xml_document doc;
    const bool bExpected = doc.load_buffer(pData, nSize) && NamesAFormat(doc);
    FUZZ_CHECK(model.ParseDownloadedFile("/tmp/RemoteDirectory.fuzz.xml", NS_DIRECTORY::REMOTE_ROOT_KEY,
                                         "") == bExpected);
    const std::list<std::string> listFromFile = Listed(model);
    fuzzsupport::CheckRemoteTree(model, false, false);
    NS_DIRECTORY::CContactRemoteModel& fresh = fuzzsupport::FreshRemoteModel();
    FUZZ_CHECK(NS_DIRECTORY::RemoteModelPeer::ParseBody(fresh, fuzzsupport::Text(pData, nSize)) == bExpected);
    FUZZ_CHECK(Listed(fresh) == listFromFile);
    fuzzsupport::CheckRemoteTree(fresh, false, false);
    return 0;
}
