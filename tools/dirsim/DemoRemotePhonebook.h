#pragma once
// The demo remote phonebook dirsim serves on 127.0.0.1: a company directory of menus, directories with
// soft keys and a paged staff list; a partner phone book of inline groups; and a server-side search
// service. Its content is fixed data, so tests know what a browse must show.

#include <string>
#include <utility>
#include <vector>

#include "LoopbackHttpServer.h"

namespace dirsim {

struct DemoRemoteEntry {
    std::string strName;
    std::vector<std::string> vecNumbers;
};

struct DemoRemoteDirectory {
    std::string strTitle;
    std::string strPath;  // where it is served
    std::vector<DemoRemoteEntry> vecEntries;
};

struct DemoRemoteSlot {
    std::string strName;
    std::string strPath;  // with query for the search service
};

// The fixed content.
struct DemoRemoteContent {
    std::string strDisplayName;
    std::vector<DemoRemoteSlot> vecSlots;
    std::vector<DemoRemoteDirectory> vecDepartments;    // under "Departments"
    std::vector<DemoRemoteDirectory> vecOffices;        // under "Offices"
    std::vector<DemoRemoteDirectory> vecStaffPages;     // "All staff", linked by page keys
    DemoRemoteDirectory operatorDesk;                   // the "Operator" soft key of the top menu
    DemoRemoteDirectory helpDesk;                       // the "Help desk" soft key of every department
    std::vector<DemoRemoteDirectory> vecPartnerGroups;  // inline groups of the partner phone book
};

const DemoRemoteContent& DemoRemote();
// Every entry the search service looks through (departments, offices, staff).
std::vector<DemoRemoteEntry> DemoRemoteSearchable();

// Serves every document of the demo on the server; the search service answers a directory of the
// entries whose name contains the "name" query value (ignoring ASCII case) or whose number starts with it.
void ServeDemoRemote(testsupport::LoopbackHttpServer& server);

}  // namespace dirsim
