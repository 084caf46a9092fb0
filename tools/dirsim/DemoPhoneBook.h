#pragma once
// The demo local phone book dirsim seeds a fresh data root with: a few hundred contacts in several groups,
// with names in Latin (with accents), Cyrillic and Greek, a blacklist and favourites. The same content every
// time (no randomness), so tests can expect it. It is written as a contact file of the export format and
// imported through the module, the way a phone gets a phone book.

#include <string>
#include <vector>

namespace dirsim {

struct DemoGroup {
    std::string strName;
    std::string strRing;  // stored form ("Resource:Ring2.wav"), "" for none
};

struct DemoContact {
    std::string strName;
    std::string strGroup;  // "All Contacts" for none, "Blacklist" for the blacklist
    std::string strOffice;
    std::string strMobile;
    std::string strOther;
    std::string strRing;   // stored form, "" for none
    std::string strPhoto;  // stored form, "" for none
    bool bFavourite = false;
};

struct DemoPhoneBook {
    std::vector<DemoGroup> vecGroups;  // user groups only
    std::vector<DemoContact> vecContacts;
};

const DemoPhoneBook& DemoBook();
// The book as a contact file of the export format ("root_group" and "root_contact" in "vp_contact").
std::string DemoBookFile();
// Names of the built-in ring and picture files the demo refers to ("Ring1.wav", "contact_01.png", ...).
std::vector<std::string> DemoRingFiles();
std::vector<std::string> DemoPhotoFiles();

}  // namespace dirsim
