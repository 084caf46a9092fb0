#pragma once
// The phone's network directory account pointed at a mock Xsi server on loopback.

#include <string>

#include "MockXsiServer.h"

namespace testsupport {

// Turns the account on for the mock's address and server type, with the port as given ("" for none):
// which directories are enabled is left to the caller.
void ConfigureXsiAccount(const MockXsiServer& xsi, const std::string& strUser, const std::string& strPassword,
                         const std::string& strPort);

}  // namespace testsupport
