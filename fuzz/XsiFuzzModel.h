#pragma once
// What the network directory drivers share: one model in the sandbox with every directory enabled, no
// network and an executor that refuses every download (a page that asks for the next one fails its list
// instead), and the checks of a page or custom-directory list against an independent reading with pugixml.

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzzsupport {

// Parses the input into the list of the directory below "directories/" ("Group", "CustomContact/Sales")
// that already holds two entries, as a first page (even sizes) or as the page after them (odd sizes), and
// checks: the answer, the records (field by field), the page counts and whether the next page was asked for
// agree with the independent reading; a refused page leaves the list as it was.
void CheckXsiPage(const std::string& strSuffix, const std::uint8_t* pData, std::size_t nSize);

// Reads the input as the custom-directory list with one of a few wanted lists, checks the offered and
// wanted names against the independent reading (a refused list leaves both keys as they were), and that
// every custom directory it adds to the table has a URL of one encoded path segment below "CustomContact/".
void CheckXsiCustomList(const std::uint8_t* pData, std::size_t nSize);

}  // namespace fuzzsupport
