// The phone-book parser on any document: every group gets a name of its own, its entries carry at most
// three numbers, and the groups hold every entry of the tree.
// Seeds: tests/data/remote realdocs/phone-xml

#include <climits>
#include <cstddef>
#include <cstdint>
#include <set>

#include "ContactRemoteMixedParser.h"
#include "FuzzHarness.h"
#include "RemoteFuzzModel.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    NS_DIRECTORY::CContactRemoteModel& model = fuzzsupport::FreshRemoteModel();
    pugi::xml_document doc;
    doc.load_buffer(pData, nSize);
    NS_DIRECTORY::CContactRemoteMixedParser parser;
    const pugi::xml_node root = fuzzsupport::FirstElement(doc);
    FUZZ_CHECK(parser.Parse("fuzz", NS_DIRECTORY::REMOTE_ROOT_KEY, root) == !root.empty());

    NS_DIRECTORY::ContactRemoteListData groups;
    groups.m_nCountToGet = INT_MAX;
    model.GetContactList(&groups, NS_DIRECTORY::REMOTE_ROOT_KEY);
    std::set<std::string> setNames;
    int nEntries = 0;
    for (const NS_DIRECTORY::ContactRemoteItemData& group : groups.m_listData) {
        FUZZ_CHECK(group.m_eType == NS_DIRECTORY::REMOTE_ITEM_MENU);
        FUZZ_CHECK(setNames.insert(group.m_strDisplayName).second);
        NS_DIRECTORY::ContactRemoteListData entries;
        entries.m_nCountToGet = INT_MAX;
        FUZZ_CHECK(model.GetContactList(&entries, group.m_strDisplayName) == NS_DIRECTORY::REMOTE_LIST_OK);
        for (const NS_DIRECTORY::ContactRemoteItemData& entry : entries.m_listData) {
            FUZZ_CHECK(entry.m_eType == NS_DIRECTORY::REMOTE_ITEM_ENTRY);
            FUZZ_CHECK(entry.m_listNumber.size() <= 3);
        }
        nEntries += entries.m_nTotalCount;
    }
    FUZZ_CHECK(fuzzsupport::CheckRemoteTree(model, false, false) == nEntries);
    return 0;
}
