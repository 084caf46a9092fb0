#pragma once
// Records the network directory fills for the GUI: plain copyable values whose construction equals Reset().
// Page records carry the wanted window in and the size of the whole selection out.

#include <list>
#include <string>

namespace NS_DIRECTORY {

// One directory of the configured table. The four reserved strings are the GUI's own: this module resets
// and copies them with the rest and never fills them.
struct BroadSoftConfigItem {
    void Reset() { *this = BroadSoftConfigItem(); }

    std::string m_strName;
    std::string m_strReserved1;
    std::string m_strReserved2;
    std::string m_strReserved3;
    std::string m_strReserved4;
    std::string m_strUrl;  // the request URL; "All Contact" for the combined entry
};

// One entry as the GUI shows it; also carries search criteria. m_strName is the shown name.
struct ContactBroadSoftItemData {
    int m_eType = 0;
    std::string m_strName;
    std::string m_strNumber;
    std::string m_strUserId;
    std::string m_strGroupId;
    std::string m_strExtension;
    std::string m_strMobile;
    std::string m_strYahooId;
    std::string m_strPaper;
    std::string m_strEmailAddress;
    std::string m_strTitle;
    std::string m_strLocation;
    std::string m_strAddressLine1;
    std::string m_strAddressLine2;
    std::string m_strCity;
    std::string m_strState;
    std::string m_strZip;
    std::string m_strCountry;
    std::string m_strDepartment;
    std::string m_strImpId;

    void Reset() { *this = ContactBroadSoftItemData(); }
};

struct ContactBroadSoftListData {
    std::list<ContactBroadSoftItemData> m_listData;  // appended to
    int m_nIndexFrom = 0;
    int m_nCountToGet = 0;
    int m_nTotalCount = 0;

    void Reset() { *this = ContactBroadSoftListData(); }
};

}  // namespace NS_DIRECTORY
