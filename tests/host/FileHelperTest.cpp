// Phone paths under the root and the crash-safe write, on real files in a temporary root.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "BaseHelper.h"
#include "FaultyFileSystem.h"
#include "HostControl.h"
#include "TempRoot.h"

namespace fs = std::filesystem;

namespace {

using FileHelperTest = testsupport::HostFixture;

std::vector<std::string> FilesIn(const std::string& strFolder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(strFolder)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

TEST_F(FileHelperTest, PathsMapUnderTheRoot) {
    const std::string strRoot = m_root.Dir();
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"/config/data/contact_list.xml", strRoot + "/config/data/contact_list.xml"},
        {"/tmp/RemotePage.xml", strRoot + "/tmp/RemotePage.xml"},
        {"relative/file.xml", "relative/file.xml"},
        {"", ""},
        {strRoot + "/tmp/x", strRoot + "/tmp/x"},
        {strRoot, strRoot},
        {"/config/../../../etc/passwd", strRoot + "/etc/passwd"},
        {"/tmp/./a/../b", strRoot + "/tmp/b"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ETL_MiscHelper::pathMapToRoot(c.first), c.second) << c.first;
        EXPECT_EQ(ETL_MiscHelper::pathMapToRoot(c.second), c.second) << "mapping twice: " << c.first;
    }
    EXPECT_EQ(HostControl::MapPath("/tmp/y"), strRoot + "/tmp/y");

    EXPECT_TRUE(fs::is_directory(strRoot + "/config/data")) << "setting the root creates the phone folders";
    EXPECT_TRUE(fs::is_directory(strRoot + "/tmp"));
    EXPECT_TRUE(ETL_MiscHelper::pathFileExist("/config/data"));
    EXPECT_FALSE(ETL_MiscHelper::pathFileExist("/config/data/none.xml"));
    EXPECT_FALSE(ETL_MiscHelper::pathFileExist(""));

    HostControl::SetRootDir("");
    EXPECT_EQ(ETL_MiscHelper::pathMapToRoot("/config/data/x.xml"), "/config/data/x.xml");
    HostControl::SetRootDir(strRoot + "/");
    EXPECT_EQ(HostControl::GetRootDir(), strRoot);
}

TEST_F(FileHelperTest, AtomicWriteReplacesContentCreatesFoldersAndKeepsPermissions) {
    const std::string strPath = "/config/data/new/deeper/list.xml";
    ASSERT_TRUE(ETL_MiscHelper::fileWriteAtomic(strPath, "first"));
    EXPECT_EQ(m_root.ReadFile(strPath), "first");
    ASSERT_EQ(::chmod(m_root.Path(strPath).c_str(), 0640), 0);
    const std::string strBig(3 * 1024 * 1024, 'x');
    ASSERT_TRUE(ETL_MiscHelper::fileWriteAtomic(strPath, strBig));
    EXPECT_TRUE(m_root.ReadFile(strPath) == strBig);
    EXPECT_EQ(FilesIn(m_root.Path("/config/data/new/deeper")), std::vector<std::string>{"list.xml"});
    struct stat info {};
    ASSERT_EQ(::stat(m_root.Path(strPath).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

// A failed step of the write: FileSystemTest; the temporary file a cut-short write leaves: the test below.
TEST_F(FileHelperTest, AtomicWriteRefusesPathsItCannotWriteAndLeavesNothing) {
    m_root.WriteFile("/tmp/blocker", "a file, not a folder");
    EXPECT_FALSE(ETL_MiscHelper::fileWriteAtomic("/tmp/blocker/list.xml", "x"));
    EXPECT_FALSE(ETL_MiscHelper::fileWriteAtomic("/tmp/", "x"));
    EXPECT_FALSE(ETL_MiscHelper::fileWriteAtomic("", "x"));
    EXPECT_EQ(FilesIn(m_root.Path("/tmp")), std::vector<std::string>{"blocker"});
}

TEST_F(FileHelperTest, StaleTemporaryFilesOfAFileAreRemovedAndNothingElse) {
    const std::string strDead = std::to_string(std::numeric_limits<pid_t>::max());  // above any pid in use
    const std::string strOwn = std::to_string(::getpid());
    {
        testsupport::FaultyFileSystem faults;
        faults.CutShortBeforeRename();
        EXPECT_FALSE(ETL_MiscHelper::fileWriteAtomic("/config/data/list.xml", "cut short"));
    }
    const std::vector<std::string> listStale = {".list.xml." + strDead + ".7.tmp",
                                                ".list.xml." + strOwn + ".999999.tmp"};
    const std::vector<std::string> listKept = {
        "list.xml",
        ".list.xml.1.3.tmp",  // its writer still runs
        ".list.xml." + strDead + ".tmp",
        ".list.xml." + strDead + ".x.tmp",
        ".list.xml." + strDead + ".7.tmp.bak",
        "list.xml." + strDead + ".7.tmp",
        ".other.xml." + strDead + ".7.tmp",
        ".list.xml.99999999999999999999.7.tmp",
    };
    for (const auto& strName : listStale) {
        m_root.WriteFile("/config/data/" + strName, "x");
    }
    for (const auto& strName : listKept) {
        m_root.WriteFile("/config/data/" + strName, "x");
    }
    // The interrupted write above left one of its own, beside the two made by hand.
    EXPECT_EQ(ETL_MiscHelper::fileRemoveStaleTemps("/config/data/list.xml"), 3);
    std::vector<std::string> listLeft = FilesIn(m_root.Path("/config/data"));
    std::sort(listLeft.begin(), listLeft.end());
    std::vector<std::string> listExpected = listKept;
    std::sort(listExpected.begin(), listExpected.end());
    EXPECT_EQ(listLeft, listExpected);
    EXPECT_EQ(ETL_MiscHelper::fileRemoveStaleTemps("/config/data/list.xml"), 0);
    EXPECT_EQ(ETL_MiscHelper::fileRemoveStaleTemps("/config/missing/list.xml"), 0);
    EXPECT_EQ(ETL_MiscHelper::fileRemoveStaleTemps(""), 0);
}

}  // namespace
