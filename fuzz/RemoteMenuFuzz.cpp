// The menu parser on any document: its links are listed trimmed and in order, and never fetched.
// Seeds: tests/data/remote realdocs/phone-xml

#include <cstddef>
#include <cstdint>

#include "ContactRemoteMenuParser.h"
#include "FuzzHarness.h"
#include "RemoteFuzzModel.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    NS_DIRECTORY::CContactRemoteModel& model = fuzzsupport::FreshRemoteModel();
    pugi::xml_document doc;
    doc.load_buffer(pData, nSize);
    NS_DIRECTORY::CContactRemoteMenuParser parser;
    const pugi::xml_node root = fuzzsupport::FirstElement(doc);
    FUZZ_CHECK(parser.Parse("fuzz", NS_DIRECTORY::REMOTE_ROOT_KEY, root) == !root.empty());
    FUZZ_CHECK(fuzzsupport::CheckRemoteTree(model, true, true) == 0);
    return 0;
}
