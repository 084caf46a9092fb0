#pragma once
// The records one network directory entry becomes, by directory kind, with their checked casts, the name
// each shows and the copy into the GUI's record. A new record is as Reset() leaves it: every string empty.

#include <string>

#include "ContactBroadSoftTypes.h"

namespace NS_DIRECTORY {

enum BroadSoftItemType : int {
    BSFT_ITEM_NONE = 0,
    BSFT_ITEM_GROUP = 1,
    BSFT_ITEM_PERSONAL = 2,
    BSFT_ITEM_COMMON = 3,
    BSFT_ITEM_ENTERPRISE = 4,
    BSFT_ITEM_CUSTOM = 5,
};

class ContactBroadSoftItemBase {
public:
    virtual ~ContactBroadSoftItemBase() = default;
    int GetType() const { return m_eType; }
    // Group, Enterprise and Custom: firstName, "," and lastName; Personal and Common: the name.
    virtual std::string GetDisplayName() const = 0;

protected:
    explicit ContactBroadSoftItemBase(int eType) : m_eType(eType) {}
    ContactBroadSoftItemBase(const ContactBroadSoftItemBase&) = default;
    ContactBroadSoftItemBase& operator=(const ContactBroadSoftItemBase&) = default;

private:
    int m_eType;
};

// The fields of a member of the Group or Enterprise directory. m_strCountry is read from "country".
struct BroadSoftMemberFields {
    std::string m_strLastName;
    std::string m_strFirstName;
    std::string m_strUserId;
    std::string m_strGroupId;
    std::string m_strExtension;
    std::string m_strNumber;
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

    void ResetFields();
};

class ContactBroadSoftGroup : public ContactBroadSoftItemBase, public BroadSoftMemberFields {
public:
    ContactBroadSoftGroup() : ContactBroadSoftItemBase(BSFT_ITEM_GROUP) {}
    void Reset() { ResetFields(); }
    std::string GetDisplayName() const override;
};

class ContactBroadSoftEnterprise : public ContactBroadSoftItemBase, public BroadSoftMemberFields {
public:
    ContactBroadSoftEnterprise() : ContactBroadSoftItemBase(BSFT_ITEM_ENTERPRISE) {}
    void Reset() { ResetFields(); }
    std::string GetDisplayName() const override;
};

// A Personal or Common entry: a name and a number.
class ContactBroadSoftPersonal : public ContactBroadSoftItemBase {
public:
    ContactBroadSoftPersonal() : ContactBroadSoftItemBase(BSFT_ITEM_PERSONAL) {}
    void Reset();
    std::string GetDisplayName() const override { return m_strName; }

    std::string m_strName;
    std::string m_strNumber;
};

class ContactBroadSoftCommon : public ContactBroadSoftItemBase {
public:
    ContactBroadSoftCommon() : ContactBroadSoftItemBase(BSFT_ITEM_COMMON) {}
    void Reset();
    std::string GetDisplayName() const override { return m_strName; }

    std::string m_strName;
    std::string m_strNumber;
};

class ContactBroadSoftCustom : public ContactBroadSoftItemBase {
public:
    ContactBroadSoftCustom() : ContactBroadSoftItemBase(BSFT_ITEM_CUSTOM) {}
    void Reset();
    std::string GetDisplayName() const override;

    std::string m_strLastName;
    std::string m_strFirstName;
    std::string m_strUserId;
    std::string m_strExtension;
    std::string m_strNumber;
    std::string m_strMobile;
    std::string m_strName;
    std::string m_strEmailAddress;
    std::string m_strImpId;
};

// The record when it is non-null and of that kind, else null.
ContactBroadSoftGroup* Base2Group(ContactBroadSoftItemBase* pItem);
const ContactBroadSoftGroup* Base2Group(const ContactBroadSoftItemBase* pItem);
ContactBroadSoftPersonal* Base2Personal(ContactBroadSoftItemBase* pItem);
const ContactBroadSoftPersonal* Base2Personal(const ContactBroadSoftItemBase* pItem);
ContactBroadSoftCommon* Base2Common(ContactBroadSoftItemBase* pItem);
const ContactBroadSoftCommon* Base2Common(const ContactBroadSoftItemBase* pItem);
ContactBroadSoftEnterprise* Base2Enterprise(ContactBroadSoftItemBase* pItem);
const ContactBroadSoftEnterprise* Base2Enterprise(const ContactBroadSoftItemBase* pItem);
ContactBroadSoftCustom* Base2Custom(ContactBroadSoftItemBase* pItem);
const ContactBroadSoftCustom* Base2Custom(const ContactBroadSoftItemBase* pItem);

// The GUI's record of an entry: its type, its shown name as m_strName and every field it has by name.
// False (the record left reset) for null or a record whose type and class disagree.
bool BroadSoftItem2Data(const ContactBroadSoftItemBase* pItem, ContactBroadSoftItemData& data);
// The same into a record just constructed, which needs no reset (page copies fill many).
bool BroadSoftItem2NewData(const ContactBroadSoftItemBase* pItem, ContactBroadSoftItemData& data);

}  // namespace NS_DIRECTORY
