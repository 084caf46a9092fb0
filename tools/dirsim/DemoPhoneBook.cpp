#include "DemoPhoneBook.h"

#include <sstream>

#include <pugixml.hpp>

namespace dirsim {

namespace {

const std::vector<std::string> kLatinFirst = {"Anna",  "José",   "François", "Chloé", "Jürgen", "Zoë",
                                              "Søren", "Łukasz", "Renée",    "Noël",  "Inês",   "João",
                                              "Björn", "Agnès",  "Håkon",    "Ümit",  "Mónica", "Tomáš",
                                              "Peter", "Laura",  "Michael",  "Sarah", "David",  "Elena"};
const std::vector<std::string> kLatinLast = {"Müller",     "García",   "Núñez",    "Lefèvre",  "Dubois",
                                             "Østergaard", "Kowalski", "Nowak",    "Schröder", "Dvořák",
                                             "Hernández",  "Ferreira", "Rossi",    "Smith",    "O'Neill",
                                             "Weiß",       "Öztürk",   "Ångström", "Brown",    "Jensen"};
const std::vector<std::string> kCyrillicMaleFirst = {"Иван",   "Алексей", "Дмитрий",
                                                     "Сергей", "Михаил",  "Андрей"};
const std::vector<std::string> kCyrillicMaleLast = {"Петров",   "Смирнов", "Иванов",
                                                    "Кузнецов", "Попов",   "Соколов"};
const std::vector<std::string> kCyrillicFemaleFirst = {"Ольга", "Наталья", "Екатерина",
                                                       "Юлия",  "Анна",    "Мария"};
const std::vector<std::string> kCyrillicFemaleLast = {"Петрова",   "Смирнова", "Иванова",
                                                      "Кузнецова", "Попова",   "Соколова"};
const std::vector<std::string> kGreekMaleFirst = {"Γιώργος", "Νίκος", "Κώστας", "Δημήτρης", "Γιάννης"};
const std::vector<std::string> kGreekMaleLast = {"Παπαδόπουλος", "Οικονόμου", "Νικολάου", "Γεωργίου",
                                                 "Αντωνίου"};
const std::vector<std::string> kGreekFemaleFirst = {"Μαρία", "Ελένη", "Σοφία", "Κατερίνα", "Αθηνά"};
const std::vector<std::string> kGreekFemaleLast = {"Παπαδοπούλου", "Οικονόμου", "Νικολάου", "Γεωργίου",
                                                   "Αντωνίου"};

const std::vector<DemoGroup> kGroups = {{"Family", "Resource:Ring2.wav"},
                                        {"Friends", "Resource:Ring3.wav"},
                                        {"Colleagues", "Resource:Ring4.wav"},
                                        {"Customers", ""},
                                        {"Suppliers", ""},
                                        {"Sports club", ""},
                                        {"Клиенты", "Resource:Ring5.wav"},
                                        {"Φίλοι", "Resource:Ring6.wav"}};

const std::vector<std::string> kLatinGroupCycle = {"Family",    "Friends",     "Colleagues",  "Customers",
                                                   "Suppliers", "Sports club", "All Contacts"};

constexpr int kLatinContacts = 230;
constexpr int kCyrillicContactsPerKind = 20;
constexpr int kGreekContactsPerKind = 15;

std::string Digits(long long nValue, int nWidth) {
    std::string strDigits = std::to_string(nValue);
    return strDigits.size() < static_cast<size_t>(nWidth)
               ? std::string(nWidth - strDigits.size(), '0') + strDigits
               : strDigits;
}

// Numbers, ring, photo and favourite mark of contact number k: the same every time.
DemoContact MakeContact(int k, const std::string& strName, const std::string& strGroup) {
    DemoContact contact;
    contact.strName = strName;
    contact.strGroup = strGroup;
    contact.strMobile = "0151" + Digits(2000000 + k * 37, 8);
    if (k % 3 != 2) {
        contact.strOffice = "030" + Digits(5550000 + k, 7);
    }
    if (k % 5 == 0) {
        contact.strOther = "0800" + Digits(100000 + k, 6);
    }
    if (k % 6 == 0) {
        contact.strRing = "Resource:Ring" + std::to_string(1 + (k / 6) % 6) + ".wav";
    }
    if (k % 4 == 0) {
        contact.strPhoto = "Resource:contact_0" + std::to_string(1 + k % 8) + ".png";
    }
    contact.bFavourite = k % 20 == 1;
    return contact;
}

// Every n-th pair of the product of two name lists, n coprime to its size, so each pair comes once.
void AddPairs(const std::vector<std::string>& vecFirst, const std::vector<std::string>& vecLast, int nCount,
              int nStride, std::vector<std::string>* pNames) {
    const int nPairs = static_cast<int>(vecFirst.size() * vecLast.size());
    for (int i = 0; i < nCount && i < nPairs; ++i) {
        const int nPair = (i * nStride) % nPairs;
        pNames->push_back(vecFirst[nPair % vecFirst.size()] + " " + vecLast[nPair / vecFirst.size()]);
    }
}

DemoPhoneBook BuildBook() {
    DemoPhoneBook book;
    book.vecGroups = kGroups;
    std::vector<std::string> vecLatin;
    AddPairs(kLatinFirst, kLatinLast, kLatinContacts, 7, &vecLatin);
    std::vector<std::string> vecCyrillic;
    AddPairs(kCyrillicMaleFirst, kCyrillicMaleLast, kCyrillicContactsPerKind, 5, &vecCyrillic);
    AddPairs(kCyrillicFemaleFirst, kCyrillicFemaleLast, kCyrillicContactsPerKind, 5, &vecCyrillic);
    std::vector<std::string> vecGreek;
    AddPairs(kGreekMaleFirst, kGreekMaleLast, kGreekContactsPerKind, 3, &vecGreek);
    AddPairs(kGreekFemaleFirst, kGreekFemaleLast, kGreekContactsPerKind, 3, &vecGreek);

    int k = 0;
    for (size_t i = 0; i < vecLatin.size(); ++i, ++k) {
        book.vecContacts.push_back(
            MakeContact(k, vecLatin[i], kLatinGroupCycle[i % kLatinGroupCycle.size()]));
    }
    for (size_t i = 0; i < vecCyrillic.size(); ++i, ++k) {
        book.vecContacts.push_back(MakeContact(k, vecCyrillic[i], i % 4 == 3 ? "Colleagues" : "Клиенты"));
    }
    for (size_t i = 0; i < vecGreek.size(); ++i, ++k) {
        book.vecContacts.push_back(MakeContact(k, vecGreek[i], i % 4 == 3 ? "Friends" : "Φίλοι"));
    }
    const std::vector<std::string> vecBlocked = {
        "Telemarketing Hotline", "Unknown Caller", "Prize Draw Service", "Robocall Insurance",
        "Spam Survey",           "Κρυφός Αριθμός", "Спам Звонок",        "Cold Call Energy"};
    for (size_t i = 0; i < vecBlocked.size(); ++i) {
        DemoContact contact;
        contact.strName = vecBlocked[i];
        contact.strGroup = "Blacklist";
        contact.strMobile = "0900" + Digits(1234500 + static_cast<long long>(i), 7);
        book.vecContacts.push_back(contact);
    }
    return book;
}

}  // namespace

const DemoPhoneBook& DemoBook() {
    static const DemoPhoneBook book = BuildBook();
    return book;
}

std::string DemoBookFile() {
    pugi::xml_document doc;
    pugi::xml_node declaration = doc.append_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "utf-8";
    pugi::xml_node wrapper = doc.append_child("vp_contact");
    pugi::xml_node groups = wrapper.append_child("root_group");
    for (const DemoGroup& group : DemoBook().vecGroups) {
        pugi::xml_node node = groups.append_child("group");
        node.append_attribute("display_name") = group.strName.c_str();
        node.append_attribute("ring") = group.strRing.c_str();
    }
    pugi::xml_node contacts = wrapper.append_child("root_contact");
    for (const DemoContact& contact : DemoBook().vecContacts) {
        pugi::xml_node node = contacts.append_child("contact");
        node.append_attribute("display_name") = contact.strName.c_str();
        node.append_attribute("office_number") = contact.strOffice.c_str();
        node.append_attribute("mobile_number") = contact.strMobile.c_str();
        node.append_attribute("other_number") = contact.strOther.c_str();
        node.append_attribute("line") = 0;
        node.append_attribute("ring") = contact.strRing.c_str();
        node.append_attribute("group_id_name") = contact.strGroup.c_str();
        node.append_attribute("default_photo") = contact.strPhoto.c_str();
        node.append_attribute("is_favorate") = contact.bFavourite ? "1" : "0";
    }
    std::ostringstream out;
    doc.save(out, "\t");
    return out.str();
}

std::vector<std::string> DemoRingFiles() {
    std::vector<std::string> vecNames;
    for (int i = 1; i <= 6; ++i) {
        vecNames.push_back("Ring" + std::to_string(i) + ".wav");
    }
    return vecNames;
}

std::vector<std::string> DemoPhotoFiles() {
    std::vector<std::string> vecNames = {"default_contact.png"};
    for (int i = 1; i <= 8; ++i) {
        vecNames.push_back("contact_0" + std::to_string(i) + ".png");
    }
    return vecNames;
}

}  // namespace dirsim
