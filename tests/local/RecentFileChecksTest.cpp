// The short memory of ring and photo file checks behind contact pages: answers are reused only within the
// keep time, per kind of file, and a new store starts without them.

#include <map>
#include <string>
#include <utility>

#include "LocalModelFixture.h"
#include "RecentFileChecks.h"

namespace localtest {
namespace {

using NS_DIRECTORY::CRecentFileChecks;

// A file system of names that exist, counting how often it is asked.
struct FakeFiles {
    std::map<std::pair<int, std::string>, bool> mapExists;
    int nAsked = 0;
    long long nNowMs = 0;

    CRecentFileChecks MakeChecks(long long nKeepMs, size_t nMaxPaths) {
        return CRecentFileChecks(
            [this](CRecentFileChecks::FileKind eKind, const std::string& strPath) {
                ++nAsked;
                const auto found = mapExists.find({eKind, strPath});
                return found != mapExists.end() && found->second;
            },
            [this] { return nNowMs; }, nKeepMs, nMaxPaths);
    }
};

constexpr auto kRing = CRecentFileChecks::FILE_KIND_RING;
constexpr auto kPhoto = CRecentFileChecks::FILE_KIND_PHOTO;

TEST(RecentFileChecksTest, ReusesAnAnswerWithinTheKeepTimeAndAsksAgainAfterIt) {
    FakeFiles files;
    files.mapExists[{kRing, "/r/a.wav"}] = true;
    CRecentFileChecks checks = files.MakeChecks(1000, 16);
    EXPECT_TRUE(checks.Exists(kRing, "/r/a.wav"));
    files.mapExists[{kRing, "/r/a.wav"}] = false;
    files.nNowMs = 999;
    EXPECT_TRUE(checks.Exists(kRing, "/r/a.wav"));
    EXPECT_EQ(files.nAsked, 1);
    files.nNowMs = 1000;
    EXPECT_FALSE(checks.Exists(kRing, "/r/a.wav"));
    EXPECT_EQ(files.nAsked, 2);
    files.mapExists[{kRing, "/r/a.wav"}] = true;
    checks.Forget();
    EXPECT_TRUE(checks.Exists(kRing, "/r/a.wav"));
    EXPECT_EQ(files.nAsked, 3);
}

TEST(RecentFileChecksTest, KeepsRingsAndPhotosApartAndNeverRemembersAnEmptyPath) {
    FakeFiles files;
    files.mapExists[{kPhoto, "/same/name"}] = true;
    files.mapExists[{kRing, ""}] = true;
    CRecentFileChecks checks = files.MakeChecks(1000, 16);
    EXPECT_FALSE(checks.Exists(kRing, "/same/name"));
    EXPECT_TRUE(checks.Exists(kPhoto, "/same/name"));
    EXPECT_TRUE(checks.Exists(kRing, ""));
    EXPECT_TRUE(checks.Exists(kRing, ""));
    EXPECT_FALSE(checks.Exists(kPhoto, ""));
    EXPECT_EQ(files.nAsked, 5);
}

TEST(RecentFileChecksTest, StaysCorrectPastItsSizeBound) {
    FakeFiles files;
    for (int nIndex = 0; nIndex < 50; nIndex += 2) {
        files.mapExists[{kPhoto, "/p/" + std::to_string(nIndex)}] = true;
    }
    CRecentFileChecks checks = files.MakeChecks(1000, 8);
    for (int nRound = 0; nRound < 2; ++nRound) {
        for (int nIndex = 0; nIndex < 50; ++nIndex) {
            EXPECT_EQ(checks.Exists(kPhoto, "/p/" + std::to_string(nIndex)), nIndex % 2 == 0) << nIndex;
        }
    }
    EXPECT_EQ(files.nAsked, 100);
    EXPECT_TRUE(checks.Exists(kPhoto, "/p/48"));
    EXPECT_EQ(files.nAsked, 100);
}

class RecentFileChecksStoreTest : public LocalModelFixture {};

TEST_F(RecentFileChecksStoreTest, ANewStoreSeesFilesAddedAfterTheLastOneShowedThemMissing) {
    ContactGeneralItemData contact = Contact("Rita", "Family");
    contact.m_strRing = "/config/data/ring/later.wav";
    ASSERT_GE(Model().AddContact(contact), 0);
    ContactGeneralItemData out;
    ASSERT_TRUE(Model().GetContactData(&out, "Rita"));
    EXPECT_EQ(out.m_strRing, "");
    m_root.WriteFile("/config/data/ring/later.wav", "RIFF");
    CContactGeneralModel::ReleaseInstance();
    ASSERT_TRUE(Model().GetContactData(&out, "Rita"));
    EXPECT_EQ(out.m_strRing, "/config/data/ring/later.wav");
}

}  // namespace
}  // namespace localtest
