#pragma once
// Helpers the command families share: pages, text columns, contact records in JSON and in words, and the
// local phone book's refusals as results.

#include <string>
#include <vector>

#include "Command.h"
#include "ContactGeneralTypes.h"

namespace dirsim {

constexpr int kDefaultPageSize = 10;

// A page request from "--page" (from 1) and "--size".
struct PageRequest {
    int nPage = 1;
    int nSize = kDefaultPageSize;
    int From() const { return (nPage - 1) * nSize; }
};
// False with the reason when the numbers make no page.
bool ReadPage(const Args& args, PageRequest* pPage, std::string* pError);
std::vector<ParamDef> PageParams();
// "1 match", "3 matches", "2 entries": the count and the noun, in the plural unless the count is one.
std::string Counted(int nCount, const std::string& strSingular);
// "page 2 of 5, 43 contacts" style; the noun in the singular.
std::string PageSummary(const PageRequest& page, int nTotal, const std::string& strNoun);
json PageJson(const PageRequest& page, int nTotal);

// The text padded with blanks to nWidth characters (UTF-8 characters, not bytes).
std::string Pad(const std::string& strText, size_t nWidth);

json ContactJson(const NS_DIRECTORY::ContactGeneralItemData& data, bool bFavourite);
// One line of a contact list: its number on the page, name, group when asked, numbers, favourite mark.
std::string ContactLine(int nNumber, const NS_DIRECTORY::ContactGeneralItemData& data, bool bFavourite,
                        bool bWithGroup);
std::vector<std::string> ContactDetailLines(const NS_DIRECTORY::ContactGeneralItemData& data,
                                            bool bFavourite);

// The names of the favourites, for marking lists.
std::vector<std::string> FavouriteNames();
bool Contains(const std::vector<std::string>& vecNames, const std::string& strName);

// A refusal of the local phone book, with the code it recorded, in words ("cannot add X: ...").
Result LocalRefusal(const std::string& strWhat);
// Clears the recorded code before an operation, so that a refusal without code is not blamed on an old one.
void ClearLocalCode();

// A ring or photo as the user names it: a bare file name is one of the built-in files.
std::string RingPath(const std::string& strGiven);
std::string PhotoPath(const std::string& strGiven);

}  // namespace dirsim
