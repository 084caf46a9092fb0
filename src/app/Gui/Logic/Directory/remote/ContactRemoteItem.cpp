#include "ContactRemoteItem.h"

namespace NS_DIRECTORY {

void ContactRemoteMenu::Reset() {
    m_strName.clear();
    m_strUrl.clear();
}

void ContactRemoteUnit::Reset() {
    m_strName.clear();
    m_listNumber.clear();
}

void ContactRemoteHotKey::Reset() {
    m_strName.clear();
    m_strUrl.clear();
}

void ContactRemotePageKey::Reset() {
    m_strName.clear();
    m_strUrl.clear();
}

namespace {

template <class Derived, int eType, class Base>
Derived* CheckedCast(Base* pItem) {
    return pItem != nullptr && pItem->GetType() == eType ? static_cast<Derived*>(pItem) : nullptr;
}

}  // namespace

ContactRemoteMenu* Base2Menu(ContactRemoteItemBase* pItem) {
    return CheckedCast<ContactRemoteMenu, CRIT_MENU>(pItem);
}
const ContactRemoteMenu* Base2Menu(const ContactRemoteItemBase* pItem) {
    return CheckedCast<const ContactRemoteMenu, CRIT_MENU>(pItem);
}
ContactRemoteUnit* Base2Unit(ContactRemoteItemBase* pItem) {
    return CheckedCast<ContactRemoteUnit, CRIT_UNIT>(pItem);
}
const ContactRemoteUnit* Base2Unit(const ContactRemoteItemBase* pItem) {
    return CheckedCast<const ContactRemoteUnit, CRIT_UNIT>(pItem);
}
ContactRemoteHotKey* Base2HotKey(ContactRemoteItemBase* pItem) {
    return CheckedCast<ContactRemoteHotKey, CRIT_HOTKEY>(pItem);
}
const ContactRemoteHotKey* Base2HotKey(const ContactRemoteItemBase* pItem) {
    return CheckedCast<const ContactRemoteHotKey, CRIT_HOTKEY>(pItem);
}
ContactRemotePageKey* Base2PageKey(ContactRemoteItemBase* pItem) {
    return CheckedCast<ContactRemotePageKey, CRIT_PAGEKEY>(pItem);
}
const ContactRemotePageKey* Base2PageKey(const ContactRemoteItemBase* pItem) {
    return CheckedCast<const ContactRemotePageKey, CRIT_PAGEKEY>(pItem);
}

}  // namespace NS_DIRECTORY
