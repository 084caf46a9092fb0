// A Group Common directory page: read as an independent pugixml reading reads it, records, counts and the
// next page's request included; a refused page leaves the list as it was.
//
// Seeds: fuzz/seeds/XsiGroupCommon

#include <cstddef>
#include <cstdint>

#include "XsiFuzzModel.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    fuzzsupport::CheckXsiPage("GroupCommon", pData, nSize);
    return 0;
}
