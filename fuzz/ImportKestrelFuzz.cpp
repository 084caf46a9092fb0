// Import of the oldest contact file format (CXPortKestrel).
// Seeds: fuzz/seeds/ImportKestrel

#include <cstddef>
#include <cstdint>

#include "ImportCheck.h"
#include "XPortKestrel.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    NS_DIRECTORY::CXPortKestrel reader;
    fuzzsupport::ImportAndCheck(reader, pData, nSize);
    return 0;
}
