#pragma once
// The demo network directory dirsim serves on 127.0.0.1 through the mock Xsi server the tests use: Group,
// Enterprise (large enough to come in many pages), the two Common directories, a Personal directory and a
// custom directory. Fixed data, so tests know what a combined list must hold.

#include <string>
#include <vector>

#include "MockXsiServer.h"

namespace dirsim {

struct DemoXsiContent {
    std::string strUserId;
    std::string strPassword;
    int nPageSize = 0;  // entries per page the server answers
    std::vector<testsupport::XsiEntry> vecGroup;
    std::vector<testsupport::XsiEntry> vecEnterprise;
    std::vector<testsupport::XsiEntry> vecGroupCommon;
    std::vector<testsupport::XsiEntry> vecEnterpriseCommon;
    std::vector<testsupport::XsiEntry> vecPersonal;
    std::string strCustomName;
    std::vector<testsupport::XsiEntry> vecCustom;
};

const DemoXsiContent& DemoXsi();
// Fills the server with the demo directories.
void ServeDemoXsi(testsupport::MockXsiServer& server);

}  // namespace dirsim
