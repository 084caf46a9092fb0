#include "ContactBroadSoftItem.h"

namespace NS_DIRECTORY {

namespace {

std::string FirstCommaLast(const std::string& strFirstName, const std::string& strLastName) {
    std::string strName;
    strName.reserve(strFirstName.size() + 1 + strLastName.size());
    return strName.append(strFirstName).append(1, ',').append(strLastName);
}

template <class TRecord, int kType>
TRecord* CastByType(ContactBroadSoftItemBase* pItem) {
    return pItem != nullptr && pItem->GetType() == kType ? static_cast<TRecord*>(pItem) : nullptr;
}

template <class TRecord, int kType>
const TRecord* CastByType(const ContactBroadSoftItemBase* pItem) {
    return pItem != nullptr && pItem->GetType() == kType ? static_cast<const TRecord*>(pItem) : nullptr;
}

void CopyMemberFields(const BroadSoftMemberFields& member, ContactBroadSoftItemData& data) {
    data.m_strNumber = member.m_strNumber;
    data.m_strUserId = member.m_strUserId;
    data.m_strGroupId = member.m_strGroupId;
    data.m_strExtension = member.m_strExtension;
    data.m_strMobile = member.m_strMobile;
    data.m_strYahooId = member.m_strYahooId;
    data.m_strPaper = member.m_strPaper;
    data.m_strEmailAddress = member.m_strEmailAddress;
    data.m_strTitle = member.m_strTitle;
    data.m_strLocation = member.m_strLocation;
    data.m_strAddressLine1 = member.m_strAddressLine1;
    data.m_strAddressLine2 = member.m_strAddressLine2;
    data.m_strCity = member.m_strCity;
    data.m_strState = member.m_strState;
    data.m_strZip = member.m_strZip;
    data.m_strCountry = member.m_strCountry;
    data.m_strDepartment = member.m_strDepartment;
}

void CopyCustomFields(const ContactBroadSoftCustom& custom, ContactBroadSoftItemData& data) {
    data.m_strNumber = custom.m_strNumber;
    data.m_strUserId = custom.m_strUserId;
    data.m_strExtension = custom.m_strExtension;
    data.m_strMobile = custom.m_strMobile;
    data.m_strEmailAddress = custom.m_strEmailAddress;
    data.m_strImpId = custom.m_strImpId;
}

}  // namespace

std::string ContactBroadSoftGroup::GetDisplayName() const {
    return FirstCommaLast(m_strFirstName, m_strLastName);
}

std::string ContactBroadSoftEnterprise::GetDisplayName() const {
    return FirstCommaLast(m_strFirstName, m_strLastName);
}

void BroadSoftMemberFields::ResetFields() {
    for (std::string* pField : {&m_strLastName, &m_strFirstName, &m_strUserId, &m_strGroupId, &m_strExtension,
                                &m_strNumber, &m_strMobile, &m_strYahooId, &m_strPaper, &m_strEmailAddress,
                                &m_strTitle, &m_strLocation, &m_strAddressLine1, &m_strAddressLine2,
                                &m_strCity, &m_strState, &m_strZip, &m_strCountry, &m_strDepartment}) {
        pField->clear();
    }
}

void ContactBroadSoftPersonal::Reset() {
    m_strName.clear();
    m_strNumber.clear();
}

void ContactBroadSoftCommon::Reset() {
    m_strName.clear();
    m_strNumber.clear();
}

void ContactBroadSoftCustom::Reset() {
    for (std::string* pField : {&m_strLastName, &m_strFirstName, &m_strUserId, &m_strExtension, &m_strNumber,
                                &m_strMobile, &m_strName, &m_strEmailAddress, &m_strImpId}) {
        pField->clear();
    }
}

std::string ContactBroadSoftCustom::GetDisplayName() const {
    return FirstCommaLast(m_strFirstName, m_strLastName);
}

ContactBroadSoftGroup* Base2Group(ContactBroadSoftItemBase* pItem) {
    return CastByType<ContactBroadSoftGroup, BSFT_ITEM_GROUP>(pItem);
}
const ContactBroadSoftGroup* Base2Group(const ContactBroadSoftItemBase* pItem) {
    return CastByType<ContactBroadSoftGroup, BSFT_ITEM_GROUP>(pItem);
}
ContactBroadSoftPersonal* Base2Personal(ContactBroadSoftItemBase* pItem) {
    return CastByType<ContactBroadSoftPersonal, BSFT_ITEM_PERSONAL>(pItem);
}
const ContactBroadSoftPersonal* Base2Personal(const ContactBroadSoftItemBase* pItem) {
    return CastByType<ContactBroadSoftPersonal, BSFT_ITEM_PERSONAL>(pItem);
}
ContactBroadSoftCommon* Base2Common(ContactBroadSoftItemBase* pItem) {
    return CastByType<ContactBroadSoftCommon, BSFT_ITEM_COMMON>(pItem);
}
const ContactBroadSoftCommon* Base2Common(const ContactBroadSoftItemBase* pItem) {
    return CastByType<ContactBroadSoftCommon, BSFT_ITEM_COMMON>(pItem);
}
ContactBroadSoftEnterprise* Base2Enterprise(ContactBroadSoftItemBase* pItem) {
    return CastByType<ContactBroadSoftEnterprise, BSFT_ITEM_ENTERPRISE>(pItem);
}
const ContactBroadSoftEnterprise* Base2Enterprise(const ContactBroadSoftItemBase* pItem) {
    return CastByType<ContactBroadSoftEnterprise, BSFT_ITEM_ENTERPRISE>(pItem);
}
ContactBroadSoftCustom* Base2Custom(ContactBroadSoftItemBase* pItem) {
    return CastByType<ContactBroadSoftCustom, BSFT_ITEM_CUSTOM>(pItem);
}
const ContactBroadSoftCustom* Base2Custom(const ContactBroadSoftItemBase* pItem) {
    return CastByType<ContactBroadSoftCustom, BSFT_ITEM_CUSTOM>(pItem);
}

bool BroadSoftItem2Data(const ContactBroadSoftItemBase* pItem, ContactBroadSoftItemData& data) {
    data.Reset();
    return BroadSoftItem2NewData(pItem, data);
}

bool BroadSoftItem2NewData(const ContactBroadSoftItemBase* pItem, ContactBroadSoftItemData& data) {
    if (pItem == nullptr) {
        return false;
    }
    if (const ContactBroadSoftGroup* pGroup = Base2Group(pItem)) {
        CopyMemberFields(*pGroup, data);
    } else if (const ContactBroadSoftEnterprise* pEnterprise = Base2Enterprise(pItem)) {
        CopyMemberFields(*pEnterprise, data);
    } else if (const ContactBroadSoftPersonal* pPersonal = Base2Personal(pItem)) {
        data.m_strNumber = pPersonal->m_strNumber;
    } else if (const ContactBroadSoftCommon* pCommon = Base2Common(pItem)) {
        data.m_strNumber = pCommon->m_strNumber;
    } else if (const ContactBroadSoftCustom* pCustom = Base2Custom(pItem)) {
        CopyCustomFields(*pCustom, data);
    } else {
        return false;
    }
    data.m_eType = pItem->GetType();
    data.m_strName = pItem->GetDisplayName();
    return true;
}

}  // namespace NS_DIRECTORY
