// A downloaded document end to end, from the file: it parses exactly when it is well-formed and one of its
// top-level nodes names one of the three formats, and the tree then passes the common checks.
// Seeds: tests/data/remote realdocs/phone-xml

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "FuzzHarness.h"
#include "RemoteFuzzModel.h"

namespace {

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
    fuzzsupport::CheckRemoteTree(model, false, false);
    return 0;
}
