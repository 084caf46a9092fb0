#include "BroadSoftListFreeAction.h"

#include <new>
#include <utility>

namespace NS_DIRECTORY {

void CBroadSoftListFreeAction::FreeInBackground(BroadSoftItemList& listRecords) {
    if (listRecords.empty()) {
        return;
    }
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
