#pragma once
// Frees the records of a network directory list that a refresh replaced on a worker thread, so that the
// GUI thread does not spend the time of thousands of frees when a refreshed directory is completely in.
// The records must be out of every list already, with nothing else pointing at them. The action has no
// receiver: the executor drops it after Exec, and its destructor frees whatever Exec did not (an action
// that never ran).

#include <cstddef>

#include "ContactBroadSoftModel.h"
#include "TaskAction.h"

namespace NS_DIRECTORY {

class CBroadSoftListFreeAction : public NS_TA::CTaskAction {
public:
    // Frees the records on workers, split into a few jobs so that idle workers share a large free; a job the
    // executor does not take, or one memory runs out for, is done at once on this thread. listRecords is
    // left empty either way.
    static void FreeInBackground(BroadSoftItemList& listRecords);

    bool Exec() override;

private:
    static constexpr std::size_t kMaxJobs = 2;
    // Lists shorter than this are freed in one job.
    static constexpr std::size_t kRecordsPerJob = 1000;

    explicit CBroadSoftListFreeAction(BroadSoftItemList&& listRecords);
    ~CBroadSoftListFreeAction() override;

    static void MyFreeOnWorker(BroadSoftItemList&& listRecords);

    static void MyFree(BroadSoftItemList& listRecords);

    BroadSoftItemList m_listRecords;
};

}  // namespace NS_DIRECTORY
