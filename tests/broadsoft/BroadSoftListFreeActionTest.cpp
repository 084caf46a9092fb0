// Records of a replaced list are freed on a worker, or at once when the executor takes no work.

#include <gtest/gtest.h>

#include "BroadSoftListFreeAction.h"
#include "FreeLog.h"
#include "HostControl.h"
#include "TempRoot.h"

namespace {

using NS_DIRECTORY::BroadSoftItemList;
using NS_DIRECTORY::CBroadSoftListFreeAction;

using FreeLog = testsupport::FreeLog;
using LoggedRecord = testsupport::FreeLogged<NS_DIRECTORY::ContactBroadSoftPersonal>;

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
