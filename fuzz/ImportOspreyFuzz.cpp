// Import of the newest contact file format, the export format (CXPortOsprey).
// Seeds: fuzz/seeds/ImportOsprey

#include <cstddef>
#include <cstdint>

#include "ImportCheck.h"
#include "XPortOsprey.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    NS_DIRECTORY::CXPortOsprey reader;
    fuzzsupport::ImportAndCheck(reader, pData, nSize);
    return 0;
}
