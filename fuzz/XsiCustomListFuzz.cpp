// The list of custom directories: the offered and wanted names agree with an independent pugixml reading, a
// refused list leaves both keys as they were, and every directory it adds has a URL of one encoded path
// segment below "CustomContact/".
//
// Seeds: fuzz/seeds/XsiCustomList

#include <cstddef>
#include <cstdint>

#include "XsiFuzzModel.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    fuzzsupport::CheckXsiCustomList(pData, nSize);
    return 0;
}
