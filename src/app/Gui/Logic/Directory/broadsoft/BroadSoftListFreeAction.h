#pragma once
// Frees the records of a network directory list that a refresh replaced on a worker thread, so that the
// GUI thread does not spend the time of thousands of frees when a refreshed directory is completely in.
// The records must be out of every list already, with nothing else pointing at them. The action has no
// receiver: the executor drops it after Exec, and its destructor frees whatever Exec did not (an action
// that never ran).

#include "ContactBroadSoftModel.h"
#include "TaskAction.h"

namespace NS_DIRECTORY {

class CBroadSoftListFreeAction : public NS_TA::CTaskAction {
public:
    // Frees the records on a worker, or at once on this thread when the executor does not take the job or
    // memory for it runs out. listRecords is left empty either way.
    static void FreeInBackground(BroadSoftItemList& listRecords);

    bool Exec() override;

private:
    explicit CBroadSoftListFreeAction(BroadSoftItemList&& listRecords);
    ~CBroadSoftListFreeAction() override;

    static void MyFree(BroadSoftItemList& listRecords);

    BroadSoftItemList m_listRecords;
};

}  // namespace NS_DIRECTORY
