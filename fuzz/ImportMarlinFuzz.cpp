// Import of the middle contact file format (CXPortMarlin).
// Seeds: fuzz/seeds/ImportMarlin

#include <cstddef>
#include <cstdint>

#include "ImportCheck.h"
#include "XPortMarlin.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    NS_DIRECTORY::CXPortMarlin reader;
    fuzzsupport::ImportAndCheck(reader, pData, nSize);
    return 0;
}
