#include "BroadSoftListFreeAction.h"

#include <algorithm>
#include <cstddef>
#include <new>
#include <utility>

namespace NS_DIRECTORY {

void CBroadSoftListFreeAction::FreeInBackground(BroadSoftItemList& listRecords) {
    const std::size_t nSize = listRecords.size();
    const std::size_t nJobs = std::min(kMaxJobs, (nSize + kRecordsPerJob - 1) / kRecordsPerJob);
    // The later jobs take their share off the end; one memory runs out for stays with the first job.
    for (std::size_t nJob = nJobs; nJob-- > 1;) {
        const auto first = listRecords.begin() + static_cast<std::ptrdiff_t>(nJob * nSize / nJobs);
        BroadSoftItemList listJob;
        try {
            listJob.assign(first, listRecords.end());
        } catch (const std::bad_alloc&) {
            continue;
        }
        listRecords.erase(first, listRecords.end());
        MyFreeOnWorker(std::move(listJob));
    }
    if (!listRecords.empty()) {
        MyFreeOnWorker(std::move(listRecords));
    }
    listRecords.clear();
}

void CBroadSoftListFreeAction::MyFreeOnWorker(BroadSoftItemList&& listRecords) {
    auto* pAction = new (std::nothrow) CBroadSoftListFreeAction(std::move(listRecords));
    if (pAction == nullptr) {
        MyFree(listRecords);
        return;
    }
    listRecords.clear();
    pAction->AddRef();
    pAction->SetRead(true);
    pAction->SetSync(false);
    pAction->SetCallback(nullptr);
    if (!TaskAction_ExecAction(pAction)) {
        MyFree(pAction->m_listRecords);
    }
    pAction->Release();
}

CBroadSoftListFreeAction::CBroadSoftListFreeAction(BroadSoftItemList&& listRecords)
    : NS_TA::CTaskAction(NS_TA::TA_REQUEST_NONE), m_listRecords(std::move(listRecords)) {}

CBroadSoftListFreeAction::~CBroadSoftListFreeAction() {
    MyFree(m_listRecords);
}

bool CBroadSoftListFreeAction::Exec() {
    MyFree(m_listRecords);
    return true;
}

void CBroadSoftListFreeAction::MyFree(BroadSoftItemList& listRecords) {
    BroadSoftItemList listFreed;
    listFreed.swap(listRecords);
    for (ContactBroadSoftItemBase* pRecord : listFreed) {
        delete pRecord;
    }
}

}  // namespace NS_DIRECTORY
