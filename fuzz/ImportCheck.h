#pragma once
// The check every import driver makes: a refused import changes nothing; an accepted one leaves a book that
// keeps the store's invariants and equals its own files read back; and exporting that book and importing
// the export in its place keeps every contact.

#include <cstddef>
#include <cstdint>

#include "XPortBase.h"

namespace fuzzsupport {

void ImportAndCheck(NS_DIRECTORY::CXPortBase& reader, const std::uint8_t* pData, std::size_t nSize);

}  // namespace fuzzsupport
