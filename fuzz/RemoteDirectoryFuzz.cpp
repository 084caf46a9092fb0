// The directory parser on any document: entries trimmed, numbered and sorted, at most 5000 in the tree.
// Seeds: tests/data/remote realdocs/phone-xml

#include <cstddef>
#include <cstdint>

#include "ContactRemoteUnitParser.h"
#include "FuzzHarness.h"
#include "RemoteFuzzModel.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    NS_DIRECTORY::CContactRemoteModel& model = fuzzsupport::FreshRemoteModel();
    pugi::xml_document doc;
    doc.load_buffer(pData, nSize);
    NS_DIRECTORY::CContactRemoteUnitParser parser;
    const pugi::xml_node root = fuzzsupport::FirstElement(doc);
    FUZZ_CHECK(parser.Parse("fuzz", NS_DIRECTORY::REMOTE_ROOT_KEY, root) == !root.empty());
    fuzzsupport::CheckRemoteTree(model, true, true);
    return 0;
}
