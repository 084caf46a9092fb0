// Saves into a real full file system and a real read-only folder: a contact edit, a group edit and an
// export each fail cleanly (old file whole, change kept in memory, a warning, no temporary file left), and
// once the disk is mended the save timer and the next export write everything. Each case runs in a child
// process, so the file-size limit and the mounts (in a mount namespace of its own) never reach the tests.

#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "LocalModelFixture.h"
#include "XPortBase.h"
#include "XPortFactory.h"

namespace localtest {
namespace {

constexpr const char* kExportFile = "/config/data/contact_xported.xml";

// One way to break the data folder for real. Prepare runs before the files are written, Break after; each
// answers "" or why the case cannot run here.
struct DiskFault {
    const char* pName;
    std::function<std::string()> expectedError;  // what the failed saves say
    std::function<std::string(const std::string& strFolder)> prepare;
    std::function<std::string(const std::string& strFolder)> breakIt;
    std::function<void(const std::string& strFolder)> mend;
};

std::string Errno(const char* pWhat) {
    return std::string(pWhat) + ": " + std::strerror(errno);
}

// A mount namespace of the child's own, with nothing propagating back.
std::string PrivateMounts() {
    if (::unshare(CLONE_NEWNS) != 0) {
        return Errno("unshare(CLONE_NEWNS)");
    }
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        return Errno("making mounts private");
    }
    return std::string();
}

constexpr rlim_t kFileSizeLimit = 200;  // bytes: below every file a save below writes
rlim_t g_nOldFileSizeLimit = RLIM_INFINITY;

const DiskFault kFileSizeLimitFault = {
    "full file system (file-size limit)", [] { return std::string(std::strerror(EFBIG)); },
    [](const std::string&) { return std::string(); },
    [](const std::string&) {
        ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails with EFBIG
        rlimit limit{};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        g_nOldFileSizeLimit = limit.rlim_cur;
        limit.rlim_cur = kFileSizeLimit;
        return ::setrlimit(RLIMIT_FSIZE, &limit) == 0 ? std::string() : Errno("setrlimit");
    },
    [](const std::string&) {
        rlimit limit{};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = g_nOldFileSizeLimit;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }};

const DiskFault kTinyTmpfsFault = {
    "full file system (tiny tmpfs)", [] { return std::string(std::strerror(ENOSPC)); },
    [](const std::string& strFolder) {
        std::string strWhy = PrivateMounts();
        if (strWhy.empty() && ::mount("tmpfs", strFolder.c_str(), "tmpfs", 0, "size=64k,mode=0755") != 0) {
            strWhy = Errno("mounting a tmpfs");
        }
        return strWhy;
    },
    [](const std::string& strFolder) {
        // Fills what is left, so the next write meets ENOSPC.
        std::ofstream filler(strFolder + "/filler", std::ios::binary);
        const std::string strChunk(1024, 'f');
        for (int nChunk = 0; nChunk < 1024 && filler.write(strChunk.data(), strChunk.size()); ++nChunk) {
            filler.flush();
        }
        return std::string();
    },
    [](const std::string& strFolder) { std::filesystem::remove(strFolder + "/filler"); }};

const DiskFault kReadOnlyFolderFault = {
    "read-only folder", [] { return std::string(std::strerror(::geteuid() == 0 ? EROFS : EACCES)); },
    [](const std::string& strFolder) {
        if (::geteuid() != 0) {
            return std::string();  // chmod does it
        }
        std::string strWhy = PrivateMounts();
        if (strWhy.empty() && ::mount(strFolder.c_str(), strFolder.c_str(), nullptr, MS_BIND, nullptr) != 0) {
            strWhy = Errno("bind mount");
        }
        return strWhy.empty()
                   ? strWhy
                   : "running as root, where chmod does not stop writes, and no read-only bind mount "
                     "is possible here (" +
                         strWhy + ")";
    },
    [](const std::string& strFolder) {
        if (::geteuid() != 0) {
            return ::chmod(strFolder.c_str(), 0555) == 0 ? std::string() : Errno("chmod");
        }
        return ::mount(nullptr, strFolder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0
                   ? std::string()
                   : Errno("read-only remount");
    },
    [](const std::string& strFolder) {
        if (::geteuid() != 0) {
            ::chmod(strFolder.c_str(), 0755);
        } else {
            ::mount(nullptr, strFolder.c_str(), nullptr, MS_REMOUNT | MS_BIND, nullptr);
        }
    }};

class DiskFaultTest : public LocalModelFixture, public ::testing::WithParamInterface<const DiskFault*> {
protected:
    // What the child reports through the pipe: "FAIL <what>", "SKIP <why>" or "DONE".
    void Report(const std::string& strLine) {
        const std::string strOut = strLine + "\n";
        ssize_t nIgnored = ::write(m_nReportFd, strOut.data(), strOut.size());
        (void)nIgnored;
    }
    void Check(bool bHolds, const std::string& strWhat) {
        if (!bHolds) {
            Report("FAIL " + strWhat);
        }
    }

    // A warning names the file and the error the disk gave.
    bool WarnedAbout(const char* pFileName, const std::string& strError) {
        for (const std::string& strLine : HostControl::TakeWarningLines()) {
            if (strLine.find(pFileName) != std::string::npos && strLine.find(strError) != std::string::npos) {
                return true;
            }
        }
        return false;
    }

    bool OnlyTheBookIn(const std::string& strFolder) {
        for (const auto& entry : std::filesystem::directory_iterator(strFolder)) {
            const std::string strName = entry.path().filename().string();
            if (strName != "contact_list.xml" && strName != "contact_group_list.xml" &&
                strName != "contact_xported.xml" && strName != "filler") {
                Report("FAIL left behind: " + strName);
                return false;
            }
        }
        return true;
    }

    // The child's whole run.
    void RunInChild(const DiskFault& fault) {
        const std::string strFolder = m_root.Path("/config/data");
        std::string strWhy = fault.prepare(strFolder);
        if (!strWhy.empty()) {
            Report("SKIP " + strWhy);
            return;
        }
        Model();
        Check(Model().AddContact(Contact("Anna", "Family", "100")) >= 0, "the first contact is saved");
        Check(NS_DIRECTORY::XPortFactory::ExportToPath(nullptr) == 0, "the first export");
        const std::string strContacts = m_root.ReadFile(kContactFile);
        const std::string strGroups = m_root.ReadFile(kGroupFile);
        const std::string strExport = m_root.ReadFile(kExportFile);
        Check(!strContacts.empty() && !strGroups.empty() && !strExport.empty(), "the files are there");
        HostControl::TakeWarningLines();
        const std::string strError = fault.expectedError();
        strWhy = fault.breakIt(strFolder);
        if (!strWhy.empty()) {
            Report("SKIP " + strWhy);
            return;
        }

        Check(Model().AddContact(Contact("Zed", "Family", "999")) >= 0, "the contact is taken");
        Check(m_root.ReadFile(kContactFile) == strContacts, "the contact file stays as it was");
        Check(Model().MyGetContactDirty(), "the contact file stays out of date");
        Check(WarnedAbout("contact_list.xml", strError), "a warning about the contact file");
        Check(Model().AddGroup({"Club", ""}) >= 0, "the group is taken");
        Check(m_root.ReadFile(kGroupFile) == strGroups, "the group file stays as it was");
        Check(Model().MyGetGroupDirty(), "the group file stays out of date");
        Check(WarnedAbout("contact_group_list.xml", strError), "a warning about the group file");
        Check(NS_DIRECTORY::XPortFactory::ExportToPath(nullptr) == NS_DIRECTORY::XPORT_RESULT_NOT_WRITTEN,
              "the export answers failure");
        Check(m_root.ReadFile(kExportFile) == strExport, "the export file stays as it was");
        Check(WarnedAbout("contact_xported.xml", strError), "a warning about the export");
        Check(AllNames() == Strings({"Anna", "Zed"}), "the contacts stay in memory");
        Check(Model().GetGIdByGName("Club") >= 0, "the group stays in memory");
        Check(OnlyTheBookIn(strFolder), "no temporary file");

        fault.mend(strFolder);
        HostControl::AdvanceClock(NS_DIRECTORY::kLocalSaveRetryMs);
        Check(!Model().MyGetContactDirty() && !Model().MyGetGroupDirty(), "the save timer saved both");
        Check(m_root.ReadFile(kContactFile).find("Zed") != std::string::npos, "the contact file has Zed");
        Check(m_root.ReadFile(kGroupFile).find("Club") != std::string::npos, "the group file has Club");
        Check(NS_DIRECTORY::XPortFactory::ExportToPath(nullptr) == 0 &&
                  m_root.ReadFile(kExportFile).find("Zed") != std::string::npos,
              "the next export has Zed");
        CContactGeneralModel::ReleaseInstance();
        Check(AllNames() == Strings({"Anna", "Zed"}), "the contacts load back");
        Check(OnlyTheBookIn(strFolder), "no temporary file after all");
        Report("DONE");
    }

    int m_nReportFd = -1;
};

TEST_P(DiskFaultTest, ASaveIntoABrokenDiskFailsCleanlyAndIsWrittenOnceTheDiskIsMended) {
    const DiskFault& fault = *GetParam();
    HostControl::Reset();  // no worker thread runs while the child is made
    HostControl::SetManualClock(true);
    EtlMsgHandler_RegisterMsgHandle(TM_TIMER, TM_TIMER, DeliverLocalSaveTimer);
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t nChild = ::fork();
    ASSERT_GE(nChild, 0);
    if (nChild == 0) {
        ::close(fds[0]);
        m_nReportFd = fds[1];
        RunInChild(fault);
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string strReport;
    char buffer[4096];
    for (ssize_t nRead; (nRead = ::read(fds[0], buffer, sizeof buffer)) > 0;) {
        strReport.append(buffer, static_cast<std::size_t>(nRead));
    }
    ::close(fds[0]);
    int nStatus = 0;
    ASSERT_EQ(::waitpid(nChild, &nStatus, 0), nChild);
    ASSERT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0) << "the child died: " << strReport;
    std::istringstream lines(strReport);
    bool bDone = false;
    for (std::string strLine; std::getline(lines, strLine);) {
        if (strLine.rfind("SKIP ", 0) == 0) {
            GTEST_SKIP() << fault.pName << ": " << strLine.substr(5);
        }
        EXPECT_EQ(strLine.rfind("FAIL ", 0), std::string::npos) << fault.pName << ": " << strLine.substr(5);
        bDone = bDone || strLine == "DONE";
    }
    EXPECT_TRUE(bDone) << strReport;
}

INSTANTIATE_TEST_SUITE_P(RealDisks, DiskFaultTest,
                         ::testing::Values(&kFileSizeLimitFault, &kTinyTmpfsFault, &kReadOnlyFolderFault),
                         [](const ::testing::TestParamInfo<const DiskFault*>& info) {
                             return std::string(info.index == 0   ? "FileSizeLimit"
                                                : info.index == 1 ? "TinyTmpfs"
                                                                  : "ReadOnlyFolder");
                         });

}  // namespace
}  // namespace localtest
