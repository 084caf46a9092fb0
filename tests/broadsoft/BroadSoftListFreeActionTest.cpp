// Records of a replaced list are freed on a worker, or at once when the executor takes no work.

#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include "BroadSoftListFreeAction.h"
#include "HostControl.h"
#include "TempRoot.h"

namespace {

using NS_DIRECTORY::BroadSoftItemList;
using NS_DIRECTORY::CBroadSoftListFreeAction;

// A record that tells which thread freed it.
struct FreeLog {
    std::atomic<int> nFreed{0};
    std::atomic<int> nFreedHere{0};
    std::thread::id caller = std::this_thread::get_id();
};

class LoggedRecord : public NS_DIRECTORY::ContactBroadSoftPersonal {
public:
    explicit LoggedRecord(FreeLog* pLog) : m_pLog(pLog) {}
    ~LoggedRecord() override {
        ++m_pLog->nFreed;
        if (std::this_thread::get_id() == m_pLog->caller) {
            ++m_pLog->nFreedHere;
        }
    }

private:
    FreeLog* m_pLog;
};

TEST(BroadSoftListFreeActionTest, RecordsAreFreedOnAWorkerOrAtOnceWhenTheExecutorTakesNoWork) {
    for (const bool bRefuse : {false, true}) {
        SCOPED_TRACE(bRefuse ? "executor refuses" : "executor runs it");
        testsupport::TempRoot root;
        HostControl::SetRefuseTaskActions(bRefuse);
        FreeLog log;
        BroadSoftItemList listRecords = {new LoggedRecord(&log), new LoggedRecord(&log),
                                         new LoggedRecord(&log)};
        CBroadSoftListFreeAction::FreeInBackground(listRecords);
        EXPECT_TRUE(listRecords.empty());
        ASSERT_TRUE(HostControl::RunUntilIdle(10000));
        EXPECT_EQ(log.nFreed.load(), 3);
        EXPECT_EQ(log.nFreedHere.load(), bRefuse ? 3 : 0);
        HostControl::SetRefuseTaskActions(false);
    }
    BroadSoftItemList listEmpty;
    CBroadSoftListFreeAction::FreeInBackground(listEmpty);
    EXPECT_TRUE(listEmpty.empty());
}

}  // namespace
