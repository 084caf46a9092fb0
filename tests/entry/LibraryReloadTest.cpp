// The library unloaded and loaded again by a host: a child process (entry_reload_child) loads it with
// dlopen, uses every directory, unloads it with dlclose and starts over; it must end cleanly, with nothing
// of the module left in the host and, in sanitizer builds, no leak and no error.

#include <stdio.h>
#include <sys/wait.h>

#include <sstream>
#include <string>

#include <gtest/gtest.h>

namespace {

// The child's command line for the shell, each word quoted; under the cross build's emulator when there is
// one.
std::string ChildCommand() {
    std::string strCommand;
    std::stringstream emulator(ENTRY_EMULATOR);
    for (std::string strWord; std::getline(emulator, strWord, '|');) {
        strCommand += strWord.empty() ? "" : "'" + strWord + "' ";
    }
    return strCommand + "'" + ENTRY_RELOAD_CHILD_FILE + "' '" + DIRECTORY_MODULE_FILE + "' 2>&1";
}

TEST(LibraryReloadTest, UnloadingAndLoadingTheLibraryAgainLeavesNothingBehind) {
    const std::string strCommand = ChildCommand();
    FILE* pChild = popen(strCommand.c_str(), "r");
    ASSERT_NE(pChild, nullptr);
    std::string strOutput;
    char szBuffer[4096];
    for (size_t nRead; (nRead = fread(szBuffer, 1, sizeof szBuffer, pChild)) > 0;) {
        strOutput.append(szBuffer, nRead);
    }
    const int nStatus = pclose(pChild);
    ASSERT_TRUE(WIFEXITED(nStatus)) << "the child crashed:\n" << strOutput;
    EXPECT_EQ(WEXITSTATUS(nStatus), 0) << strOutput;
    EXPECT_NE(strOutput.find("library reloaded cleanly after 3 rounds"), std::string::npos) << strOutput;
}

}  // namespace
