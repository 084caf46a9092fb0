#include "RealDocs.h"

#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gmock/gmock.h>
#include <pugixml.hpp>

#include "CommonUnits.h"

namespace testsupport {

namespace fs = std::filesystem;

namespace {

fs::path RealDocsFolder() {
    const fs::path checkout = fs::path(__FILE__).parent_path().parent_path().parent_path();
    return checkout.parent_path() / "shared" / "realdocs";
}

void AppendNumber(std::vector<std::string>& vecNumbers, const char* pNumber) {
    if (*pNumber != '\0') {
        vecNumbers.emplace_back(pNumber);
    }
}

void CollectEntries(const pugi::xml_node& parent, const std::string& strGroup,
                    std::vector<PhoneBookEntry>& vecEntries) {
    for (const pugi::xml_node& node : parent.children()) {
        const std::string strElement = node.name();
        if (strElement == "Menu") {
            CollectEntries(node, node.attribute("Name").value(), vecEntries);
        } else if (strElement == "Unit") {
            PhoneBookEntry entry{strGroup, node.attribute("Name").value(), {}};
            for (const char* pPhone : {"Phone1", "Phone2", "Phone3"}) {
                AppendNumber(entry.vecNumbers, node.attribute(pPhone).value());
            }
            vecEntries.push_back(entry);
        } else if (strElement == "DirectoryEntry") {
            PhoneBookEntry entry{"", node.child_value("Name"), {}};
            for (const pugi::xml_node& phone : node.children("Telephone")) {
                AppendNumber(entry.vecNumbers, phone.child_value());
            }
            vecEntries.push_back(entry);
        }
    }
}

uint32_t ChangeCyrillicCase(uint32_t cp, bool bCapital) {
    if (bCapital) {
        return cp >= 0x430 && cp <= 0x44F ? cp - 0x20 : cp >= 0x450 && cp <= 0x45F ? cp - 0x50 : cp;
    }
    return cp >= 0x410 && cp <= 0x42F ? cp + 0x20 : cp >= 0x400 && cp <= 0x40F ? cp + 0x50 : cp;
}

}  // namespace

std::string ChangeCase(const std::string& strText, bool bCapital) {
    std::string strOut;
    for (size_t i = 0; i < strText.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(strText[i]);
        if (c < 0x80) {
            strOut += static_cast<char>(bCapital ? std::toupper(c) : std::tolower(c));
        } else if ((c == 0xD0 || c == 0xD1) && i + 1 < strText.size()) {
            const uint32_t cp = ChangeCyrillicCase(((c & 0x1Fu) << 6) | (strText[++i] & 0x3Fu), bCapital);
            strOut += static_cast<char>(0xC0 | (cp >> 6));
            strOut += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            strOut += static_cast<char>(c);
        }
    }
    return strOut;
}

bool ReadRealDoc(const std::string& strRelativePath, std::string* pContent) {
    std::ifstream in(RealDocsFolder() / strRelativePath, std::ios::binary);
    if (!in) {
        return false;
    }
    std::ostringstream content;
    content << in.rdbuf();
    *pContent = content.str();
    return true;
}

std::vector<PhoneBookEntry> PhoneBookEntries(const std::string& strDocument) {
    pugi::xml_document document;
    std::vector<PhoneBookEntry> vecEntries;
    if (document.load_string(strDocument.c_str())) {
        CollectEntries(document.document_element(), "", vecEntries);
    }
    return vecEntries;
}

bool ReadCyrillicBooks(CyrillicBooks* pBooks) {
    if (!ReadRealDoc("phone-xml/book-cyrillic-crlf.xml", &pBooks->strBook) ||
        !ReadRealDoc("phone-xml/directory-cyrillic-crlf.xml", &pBooks->strDirectory)) {
        return false;
    }
    pBooks->vecEntries = PhoneBookEntries(pBooks->strBook);
    for (const PhoneBookEntry& entry : PhoneBookEntries(pBooks->strDirectory)) {
        pBooks->vecEntries.push_back(entry);
    }
    return true;
}

void ExpectFoundByDigitsAndFirstWord(const std::vector<std::string>& vecNames, const NameSearch& search) {
    for (const std::string& strName : vecNames) {
        const std::string strDigits = CommonUnits_ToKeyString(strName);
        ASSERT_GE(strDigits.size(), 3u) << strName;
        EXPECT_THAT(search(strDigits), ::testing::Contains(strName)) << strDigits;
        const std::string strWord = strName.substr(0, strName.find(' '));
        for (const bool bCapital : {true, false}) {
            EXPECT_THAT(search(ChangeCase(strWord, bCapital)), ::testing::Contains(strName)) << strName;
        }
    }
}

void ExpectCyrillicKeysFindTheirNames(const NameSearch& search) {
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"4225522", {"Иванова Л.А."}},  // и в а н о в а
        {"ИВАНОВА", {"Иванова Л.А."}},
        {"83622452", {"Щербаков Б.А."}},  // щ е р б а к о в
        {"кадр", {"Отдел кадров"}},
        {"ДИРЕКТОР", {"Директор", "Приемная директора"}},
        {"33366529", {"Дежурная ВВС"}},  // д е ж у р н а я
        {"отделением в", {"Заведующий отделением В", "Заведующий отделением ВП"}},
        {"1085637", {"Директор"}},
    };
    for (const auto& [pKey, names] : cases) {
        EXPECT_THAT(search(pKey), ::testing::UnorderedElementsAreArray(names)) << pKey;
    }
}

}  // namespace testsupport
