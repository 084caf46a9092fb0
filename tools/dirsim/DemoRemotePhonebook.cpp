#include "DemoRemotePhonebook.h"

#include <cctype>
#include <sstream>

#include <pugixml.hpp>

#include "RemoteDocBuilder.h"

namespace dirsim {

namespace {

using testsupport::RemoteEntry;
using testsupport::RemoteLink;

// Entries with extensions from nFirstExtension on; each has its extension and a direct number.
DemoRemoteDirectory MakeDirectory(const std::string& strTitle, const std::string& strPath,
                                  const std::vector<std::string>& vecNames, int nFirstExtension) {
    DemoRemoteDirectory directory{strTitle, strPath, {}};
    int nExtension = nFirstExtension;
    for (const std::string& strName : vecNames) {
        const std::string strExtension = std::to_string(nExtension++);
        directory.vecEntries.push_back({strName, {strExtension, "0307000" + strExtension}});
    }
    return directory;
}

std::vector<std::string> StaffNames(int nFrom, int nCount) {
    static const std::vector<std::string> vecFirst = {"Adrian", "Bianca", "Cedric",
                                                      "Delia",  "Edgar",  "Frida"};
    static const std::vector<std::string> vecLast = {"Abbott", "Barros", "Carver", "Duval",
                                                     "Eklund", "Foster", "Garnier"};
    std::vector<std::string> vecNames;
    for (int i = nFrom; i < nFrom + nCount; ++i) {
        vecNames.push_back(vecFirst[i % vecFirst.size()] + " " + vecLast[i / vecFirst.size()]);
    }
    return vecNames;
}

DemoRemoteContent BuildContent() {
    DemoRemoteContent content;
    content.strDisplayName = "Demo remote phonebook";
    content.vecSlots = {{"Company directory", "/company/top.xml"},
                        {"Partners", "/partners/book.xml"},
                        {"Find a colleague", "/search.php?name=#SEARCH"}};
    content.vecDepartments = {
        MakeDirectory("Engineering", "/company/dept-engineering.xml",
                      {"Amelia Brandt", "Bruno Keller", "Carla Vogt", "Dario Ricci", "Emil Svensson",
                       "Fatima Haddad", "Gustav Lind", "Hanna Koch", "Igor Belov", "Julia Ortega"},
                      2100),
        MakeDirectory("Sales", "/company/dept-sales.xml",
                      {"Karl Weber", "Lena Fischer", "Marco Bianchi", "Nina Horvat", "Oscar Lund",
                       "Paula Costa", "Quentin Moreau", "Rita Nagy"},
                      2200),
        MakeDirectory("Support", "/company/dept-support.xml",
                      {"Sven Aalto", "Tanja Kraus", "Uwe Brandl", "Vera Novak", "Walter Roth",
                       "Xenia Pavlova", "Yusuf Demir", "Zora Ilić"},
                      2300),
        MakeDirectory("Management", "/company/dept-management.xml",
                      {"Beatrice Hall", "Conrad Stein", "Diana Ferraz", "Elias Moore"}, 2400)};
    content.vecOffices = {MakeDirectory("Berlin", "/company/office-berlin.xml",
                                        {"Jörg Bäcker", "Käthe Lindqvist", "Sören Groß", "Märta Öberg",
                                         "Günther Weiß", "Anaïs Dupré"},
                                        3100),
                          MakeDirectory("Αθήνα", "/company/office-athens.xml",
                                        {"Αλέξανδρος Βλάχος", "Ιωάννα Καραγιάννη", "Παναγιώτης Σπανός",
                                         "Χριστίνα Δούκα", "Θεόδωρος Λάμπρου", "Ευαγγελία Ρήγα"},
                                        3200),
                          MakeDirectory("Москва", "/company/office-moscow.xml",
                                        {"Борис Орлов", "Вера Лебедева", "Григорий Волков", "Дарья Морозова",
                                         "Евгений Зайцев", "Жанна Павлова"},
                                        3300)};
    for (int nPage = 0; nPage < 3; ++nPage) {
        content.vecStaffPages.push_back(MakeDirectory("All staff",
                                                      "/company/staff" + std::to_string(nPage + 1) + ".xml",
                                                      StaffNames(nPage * 10, 10), 4000 + nPage * 10));
    }
    content.operatorDesk =
        MakeDirectory("Operator", "/company/operator.xml", {"Reception", "Night service"}, 2000);
    content.helpDesk = MakeDirectory("Help desk", "", {"IT help desk", "Facilities"}, 2990);
    content.vecPartnerGroups = {
        MakeDirectory("Logistics", "", {"Rapid Freight Desk", "Harbour Storage", "Courier Express"}, 5100),
        MakeDirectory("Catering", "", {"Canteen Kitchen", "Coffee Service", "Bäckerei Sonnenschein"}, 5200),
        MakeDirectory("Cleaning", "", {"Night Cleaning Crew", "Window Service"}, 5300)};
    return content;
}

std::vector<RemoteEntry> ToEntries(const DemoRemoteDirectory& directory) {
    std::vector<RemoteEntry> vecEntries;
    for (const DemoRemoteEntry& entry : directory.vecEntries) {
        vecEntries.push_back({entry.strName, entry.vecNumbers});
    }
    return vecEntries;
}

std::vector<RemoteLink> MenuOf(const testsupport::LoopbackHttpServer& server,
                               const std::vector<DemoRemoteDirectory>& vecDirectories) {
    std::vector<RemoteLink> vecLinks;
    for (const DemoRemoteDirectory& directory : vecDirectories) {
        vecLinks.push_back({directory.strTitle, server.Url(directory.strPath)});
    }
    return vecLinks;
}

std::string PartnerBook(const DemoRemoteContent& content) {
    pugi::xml_document doc;
    pugi::xml_node root = doc.append_child("DemoIPPhoneBook");
    for (const DemoRemoteDirectory& group : content.vecPartnerGroups) {
        pugi::xml_node menu = root.append_child("Menu");
        menu.append_attribute("Name") = group.strTitle.c_str();
        for (const DemoRemoteEntry& entry : group.vecEntries) {
            pugi::xml_node unit = menu.append_child("Unit");
            unit.append_attribute("Name") = entry.strName.c_str();
            for (size_t i = 0; i < entry.vecNumbers.size() && i < 3; ++i) {
                unit.append_attribute(("Phone" + std::to_string(i + 1)).c_str()) =
                    entry.vecNumbers[i].c_str();
            }
        }
    }
    std::ostringstream out;
    doc.save(out, "  ");
    return out.str();
}

std::string HelpDeskPath(const DemoRemoteDirectory& department) {
    const std::string strDocument = department.strPath.substr(department.strPath.rfind('/') + 1);
    return "/company/helpdesk-" + strDocument;
}

std::string LowerAscii(std::string strText) {
    for (char& c : strText) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return strText;
}

bool Matches(const DemoRemoteEntry& entry, const std::string& strKey) {
    if (strKey.empty()) {
        return false;
    }
    if (LowerAscii(entry.strName).find(LowerAscii(strKey)) != std::string::npos) {
        return true;
    }
    for (const std::string& strNumber : entry.vecNumbers) {
        if (strNumber.rfind(strKey, 0) == 0) {
            return true;
        }
    }
    return false;
}

void ServeSearch(testsupport::LoopbackHttpServer& server) {
    server.Handle("/search.php", [](const httplib::Request& request, httplib::Response& response) {
        const std::string strKey = request.has_param("name") ? request.get_param_value("name") : "";
        std::vector<RemoteEntry> vecFound;
        for (const DemoRemoteEntry& entry : DemoRemoteSearchable()) {
            if (Matches(entry, strKey)) {
                vecFound.push_back({entry.strName, entry.vecNumbers});
            }
        }
        response.set_content(testsupport::BuildRemoteDirectory("Search results", vecFound),
                             "application/xml");
    });
}

}  // namespace

const DemoRemoteContent& DemoRemote() {
    static const DemoRemoteContent content = BuildContent();
    return content;
}

std::vector<DemoRemoteEntry> DemoRemoteSearchable() {
    const DemoRemoteContent& content = DemoRemote();
    std::vector<DemoRemoteEntry> vecEntries;
    for (const auto* pList : {&content.vecDepartments, &content.vecOffices, &content.vecStaffPages}) {
        for (const DemoRemoteDirectory& directory : *pList) {
            vecEntries.insert(vecEntries.end(), directory.vecEntries.begin(), directory.vecEntries.end());
        }
    }
    return vecEntries;
}

void ServeDemoRemote(testsupport::LoopbackHttpServer& server) {
    const DemoRemoteContent& content = DemoRemote();
    const RemoteLink operatorKey{"Operator", server.Url(content.operatorDesk.strPath)};
    const std::string strStaffUrl = server.Url(content.vecStaffPages.front().strPath);
    server.Serve("/company/top.xml",
                 testsupport::BuildRemoteMenu("Company directory",
                                              {{"Departments", server.Url("/company/departments.xml")},
                                               {"Offices", server.Url("/company/offices.xml")},
                                               {"All staff", strStaffUrl}},
                                              {operatorKey}));
    server.Serve("/company/departments.xml",
                 testsupport::BuildRemoteMenu("Departments", MenuOf(server, content.vecDepartments)));
    server.Serve("/company/offices.xml",
                 testsupport::BuildRemoteMenu("Offices", MenuOf(server, content.vecOffices)));
    // Each department has a help-desk soft key of its own: tree keys are URLs, and one URL is one node.
    const std::string strHelpDesk =
        testsupport::BuildRemoteDirectory("Help desk", ToEntries(content.helpDesk));
    for (const DemoRemoteDirectory& directory : content.vecDepartments) {
        const std::string strHelpPath = HelpDeskPath(directory);
        server.Serve(strHelpPath, strHelpDesk);
        server.Serve(directory.strPath,
                     testsupport::BuildRemoteDirectory(directory.strTitle, ToEntries(directory),
                                                       {{"Help desk", server.Url(strHelpPath)}}));
    }
    for (const DemoRemoteDirectory& directory : content.vecOffices) {
        server.Serve(directory.strPath,
                     testsupport::BuildRemoteDirectory(directory.strTitle, ToEntries(directory)));
    }
    const size_t nPages = content.vecStaffPages.size();
    for (size_t i = 0; i < nPages; ++i) {
        std::vector<RemoteLink> vecPageKeys;
        if (i > 0) {
            vecPageKeys.push_back({"previous-page", server.Url(content.vecStaffPages[i - 1].strPath)});
        }
        if (i + 1 < nPages) {
            vecPageKeys.push_back({"next-page", server.Url(content.vecStaffPages[i + 1].strPath)});
        }
        const DemoRemoteDirectory& page = content.vecStaffPages[i];
        server.Serve(page.strPath,
                     testsupport::BuildRemoteDirectory(page.strTitle, ToEntries(page), {}, vecPageKeys));
    }
    server.Serve(content.operatorDesk.strPath,
                 testsupport::BuildRemoteDirectory("Operator", ToEntries(content.operatorDesk)));
    server.Serve("/partners/book.xml", PartnerBook(content));
    ServeSearch(server);
}

}  // namespace dirsim
