// Records of a replaced list are freed on a worker, or at once when the executor takes no work.

#include <gtest/gtest.h>

#include <string>

#include "BroadSoftListFreeAction.h"
#include "FreeLog.h"
#include "HostControl.h"
#include "TempRoot.h"

namespace {

using NS_DIRECTORY::BroadSoftItemList;
using NS_DIRECTORY::CBroadSoftListFreeAction;

using FreeLog = testsupport::FreeLog;
using LoggedRecord = testsupport::FreeLogged<NS_DIRECTORY::ContactBroadSoftPersonal>;

// A large list is split into jobs; every record is freed exactly once either way.
TEST(BroadSoftListFreeActionTest, RecordsAreFreedOnAWorkerOrAtOnceWhenTheExecutorTakesNoWork) {
    for (const int nRecords : {3, 2501}) {
        for (const bool bRefuse : {false, true}) {
            SCOPED_TRACE(std::to_string(nRecords) + (bRefuse ? " records, executor refuses" : " records"));
            testsupport::TempRoot root;
            HostControl::SetRefuseTaskActions(bRefuse);
            FreeLog log;
            BroadSoftItemList listRecords;
            for (int n = 0; n < nRecords; ++n) {
                listRecords.push_back(new LoggedRecord(&log));
            }
            CBroadSoftListFreeAction::FreeInBackground(listRecords);
            EXPECT_TRUE(listRecords.empty());
            ASSERT_TRUE(HostControl::RunUntilIdle(10000));
            EXPECT_EQ(log.nFreed.load(), nRecords);
            EXPECT_EQ(log.nFreedHere.load(), bRefuse ? nRecords : 0);
            HostControl::SetRefuseTaskActions(false);
        }
    }
    BroadSoftItemList listEmpty;
    CBroadSoftListFreeAction::FreeInBackground(listEmpty);
    EXPECT_TRUE(listEmpty.empty());
}

}  // namespace
