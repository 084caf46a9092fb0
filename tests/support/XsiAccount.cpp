#include "XsiAccount.h"

#include "ConfigParser.h"

namespace testsupport {

void ConfigureXsiAccount(const MockXsiServer& xsi, const std::string& strUser, const std::string& strPassword,
                         const std::string& strPort) {
    configParser_SetConfigInt("BSFTActive", 1);
    configParser_SetConfigString("AccountBroadsoftXSIHostAddr", xsi.Host());
    configParser_SetConfigString("AccountBroadsoftXSIUserID", strUser);
    configParser_SetConfigString("AccountBroadsoftXSIPassword", strPassword);
    configParser_SetConfigString("AccountBroadsoftXSIPort", strPort);
    configParser_SetConfigString("AccountBroadsoftXSIServerType", xsi.ServerType());
}

}  // namespace testsupport
