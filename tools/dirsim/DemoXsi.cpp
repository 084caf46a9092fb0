#include "DemoXsi.h"

namespace dirsim {

namespace {

using testsupport::XsiCustomContact;
using testsupport::XsiEntry;
using testsupport::XsiMember;
using testsupport::XsiNamedEntry;

const std::vector<std::string> kFirst = {"Aino",  "Bruno", "Célia", "Dmitri", "Elif",
                                         "Fabio", "Greta", "Hugo",  "Irène",  "Jonas",
                                         "Katja", "Luca",  "Mila",  "Nils",   "Olga"};
const std::vector<std::string> kLast = {"Andersson", "Berger", "Castro", "Dahl",    "Engel",
                                        "Fontaine",  "Gómez",  "Haas",   "Ivanova", "Jäger"};
const std::vector<std::string> kDepartments = {"Operations", "Finance", "Logistics", "Research", "Legal"};

constexpr int kEnterpriseSize = 140;
constexpr int kGroupSize = 24;
constexpr int kPageSize = 20;

// Member number i of the enterprise; the group is the enterprise's first members, as on a real server.
XsiEntry Member(int i) {
    const std::string strFirst = kFirst[static_cast<size_t>(i) % kFirst.size()];
    const std::string strLast = kLast[static_cast<size_t>(i) / kFirst.size() % kLast.size()];
    const std::string strExtension = std::to_string(6000 + i);
    XsiEntry entry = XsiMember(strFirst, strLast, "+4940555" + strExtension, strExtension,
                               i % 3 == 0 ? "+49160" + std::to_string(7000000 + i) : "", "", i % 2 == 0);
    entry.Set("department", kDepartments[static_cast<size_t>(i) % kDepartments.size()]);
    return entry;
}

DemoXsiContent BuildContent() {
    DemoXsiContent content;
    content.strUserId = "demo1001";
    content.strPassword = "demo-password";
    content.nPageSize = kPageSize;
    for (int i = 0; i < kEnterpriseSize; ++i) {
        content.vecEnterprise.push_back(Member(i));
        if (i < kGroupSize) {
            content.vecGroup.push_back(Member(i));
        }
    }
    content.vecGroupCommon = {
        XsiNamedEntry("Lobby phone", "6900"), XsiNamedEntry("Conference room Nord", "6901"),
        XsiNamedEntry("Conference room Süd", "6902"), XsiNamedEntry("Print shop", "6903")};
    content.vecEnterpriseCommon = {XsiNamedEntry("Security desk", "6990"),
                                   XsiNamedEntry("IT service line", "6991"),
                                   XsiNamedEntry("Cafeteria", "6992")};
    content.vecPersonal = {XsiNamedEntry("Auto repair shop", "040112233"),
                           XsiNamedEntry("Dentist", "040445566"), XsiNamedEntry("Grandma", "040778899"),
                           XsiNamedEntry("Pizza Napoli", "040998877"),
                           XsiNamedEntry("Taxi Hansa", "040211211")};
    content.strCustomName = "Executives";
    content.vecCustom = {XsiCustomContact("Valeria", "Monti", "+4940555100", "6100"),
                         XsiCustomContact("Walther", "Krüger", "+4940555101", "6101"),
                         XsiCustomContact("Ximena", "Ortiz", "+4940555102", "6102"),
                         XsiCustomContact("Yannick", "Roux", "+4940555103", "6103")};
    return content;
}

}  // namespace

const DemoXsiContent& DemoXsi() {
    static const DemoXsiContent content = BuildContent();
    return content;
}

void ServeDemoXsi(testsupport::MockXsiServer& server) {
    const DemoXsiContent& content = DemoXsi();
    server.SetDefaultPageSize(content.nPageSize);
    server.SetEntries(testsupport::XsiDirectory::Group, content.vecGroup);
    server.SetEntries(testsupport::XsiDirectory::Enterprise, content.vecEnterprise);
    server.SetEntries(testsupport::XsiDirectory::GroupCommon, content.vecGroupCommon);
    server.SetEntries(testsupport::XsiDirectory::EnterpriseCommon, content.vecEnterpriseCommon);
    server.SetEntries(testsupport::XsiDirectory::Personal, content.vecPersonal);
    server.SetCustomDirectory(content.strCustomName, content.vecCustom);
}

}  // namespace dirsim
