#pragma once
// What a remote phonebook document is turned into: menus (links to further documents), units (directory
// entries with their numbers), hot keys (soft-key links) and page keys (paging links), with checked casts.

#include <cstddef>
#include <string>
#include <string_view>

#include "RemoteNumberList.h"

namespace NS_DIRECTORY {

enum ContactRemoteItemType : int {
    CRIT_NONE = 0,
    CRIT_MENU = 1,
    CRIT_UNIT = 2,
    CRIT_HOTKEY = 3,
    CRIT_PAGEKEY = 4,
};

class ContactRemoteItemBase {
public:
    virtual ~ContactRemoteItemBase() = default;
    virtual void Reset() = 0;
    int GetType() const { return m_eType; }

protected:
    explicit ContactRemoteItemBase(int eType) : m_eType(eType) {}
    ContactRemoteItemBase(const ContactRemoteItemBase&) = default;
    ContactRemoteItemBase& operator=(const ContactRemoteItemBase&) = default;

    int m_eType = CRIT_NONE;
};

// A link to another remote document; in phone-book documents name and URL are the menu's unique name.
class ContactRemoteMenu : public ContactRemoteItemBase {
public:
    ContactRemoteMenu() : ContactRemoteItemBase(CRIT_MENU) {}
    void Reset() override;

    std::string m_strName;
    std::string m_strUrl;
};

// One directory entry: a name and its numbers in document order.
class ContactRemoteUnit : public ContactRemoteItemBase {
public:
    ContactRemoteUnit() : ContactRemoteItemBase(CRIT_UNIT) {}
    ContactRemoteUnit(std::string_view name, const std::string_view* pNumbers, std::size_t nNumbers)
        : ContactRemoteItemBase(CRIT_UNIT), m_strName(name), m_listNumber(pNumbers, nNumbers) {}
    void Reset() override;

    std::string m_strName;
    RemoteNumberList m_listNumber;
};

// A soft-key link.
class ContactRemoteHotKey : public ContactRemoteItemBase {
public:
    ContactRemoteHotKey() : ContactRemoteItemBase(CRIT_HOTKEY) {}
    void Reset() override;

    std::string m_strName;
    std::string m_strUrl;
};

// A paging link named "previous-page" or "next-page".
class ContactRemotePageKey : public ContactRemoteItemBase {
public:
    ContactRemotePageKey() : ContactRemoteItemBase(CRIT_PAGEKEY) {}
    void Reset() override;

    std::string m_strName;
    std::string m_strUrl;
};

// The item as the derived type when it is non-null and of that type, else null.
ContactRemoteMenu* Base2Menu(ContactRemoteItemBase* pItem);
const ContactRemoteMenu* Base2Menu(const ContactRemoteItemBase* pItem);
ContactRemoteUnit* Base2Unit(ContactRemoteItemBase* pItem);
const ContactRemoteUnit* Base2Unit(const ContactRemoteItemBase* pItem);
ContactRemoteHotKey* Base2HotKey(ContactRemoteItemBase* pItem);
const ContactRemoteHotKey* Base2HotKey(const ContactRemoteItemBase* pItem);
ContactRemotePageKey* Base2PageKey(ContactRemoteItemBase* pItem);
const ContactRemotePageKey* Base2PageKey(const ContactRemoteItemBase* pItem);

}  // namespace NS_DIRECTORY
