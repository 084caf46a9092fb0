// What unloading libDirectory.so takes down. Linked only into the shared library: a program that links the
// module's static twin owns the module's life cycle itself, and at its exit this would run after the
// module's static objects are gone.

#include "ContactBroadSoftModel.h"
#include "ContactEditorController.h"
#include "ContactGeneralModel.h"
#include "ContactGroupController.h"
#include "ContactRemoteModel.h"
#include "DirectoryMessage.h"
#include "DirectoryShortcut.h"
#include "MsgQueue.h"

namespace {

// Runs when the library is unloaded (dlclose or the end of the process), before its static objects are
// destroyed. Every model still alive goes first: their message handlers, timers and task-action receivers
// would otherwise stay with the host and call into code that is no longer there. (Work the host's executor
// still runs for the module must have ended before the library is unloaded.)
__attribute__((destructor)) void TakeDownModule() {
    EtlMsgHandler_UnregisterMsgHandle(NS_DIRECTORY::DIRECTORY_MSG_CONFIG_CHANGED,
                                      NS_DIRECTORY::DIRECTORY_MSG_CONFIG_CHANGED,
                                      &NS_DIRECTORY::OnDirectoryMessage);
    EtlMsgHandler_UnregisterMsgHandle(TM_TIMER, TM_TIMER, &NS_DIRECTORY::OnTimerOut);
    NS_DIRECTORY::CDirectoryShortcut::ReleaseInstance();
    NS_DIRECTORY::CContactEditorController::ReleaseInstance();
    NS_DIRECTORY::CContactGroupController::ReleaseInstance();
    NS_DIRECTORY::CContactRemoteModel::ReleaseInstance();
    NS_DIRECTORY::CContactGeneralModel::ReleaseInstance();
    delete NS_DIRECTORY::CContactBroadSoftModel::PeekInstance();
}

}  // namespace
