// Uses the directory module the way a phone's GUI process does, on the reference host: the host gets a
// data root and starts the module (Directory_PreLoadConfigureFile loads the local phone book,
// Directory_RegisterMessage hooks up its handlers), a contact is added (and written through to
// "contact_list.xml"), an incoming number is matched to its name, a type-ahead search runs in the
// background and comes back on the GUI thread, the settings service tells the module of a changed setting,
// the GUI's notifications are read, and the host stops the module (Directory_UnInit writes both files).
//
//   directory_consumer [data-root]    (default: a fresh folder under the system temp folder, removed after)

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "ContactEditorController.h"
#include "ContactGeneralModel.h"
#include "ContactGroupController.h"
#include "DirectoryEntry.h"
#include "HostControl.h"
#include "LocalContactSearchAction.h"

namespace {

using NS_DIRECTORY::CContactGeneralModel;

// Receives finished background searches on the GUI thread.
class CSearchReceiver : public NS_TA::CTaskActionCallbackBase {
public:
    void OnTaskActionCallback(NS_TA::CTaskAction* pAction) override {
        const auto* pSearch = static_cast<NS_DIRECTORY::CLocalContactSearchAction*>(pAction);
        if (pAction->IsOperationSucceed() && pSearch->GetSearchResult() != nullptr) {
            m_listAnswers.push_back(*pSearch->GetSearchResult());
        }
    }
    std::vector<NS_DIRECTORY::ContactGeneralSearchItemListData> m_listAnswers;
};

bool Check(bool bOk, const std::string& strWhat) {
    std::printf("%s %s\n", bOk ? "ok  " : "FAIL", strWhat.c_str());
    return bOk;
}

std::string MakeTempRoot() {
    std::string strPattern = (std::filesystem::temp_directory_path() / "directory_consumer.XXXXXX").string();
    return mkdtemp(strPattern.data()) != nullptr ? strPattern : std::string();
}

bool UseThePhoneBook() {
    if (!Check(Directory_PreLoadConfigureFile(), "module started, local phone book loaded") ||
        !Check(Directory_RegisterMessage(), "module handlers registered")) {
        return false;
    }
    CContactGeneralModel* pModel = CContactGeneralModel::GetInstance();
    NS_DIRECTORY::ContactGeneralItemData contact;
    contact.m_strDisplayName = "Ada Lovelace";
    contact.m_strGroupName = "All Contacts";
    contact.m_strMobileNumber = "0155501234";
    bool bOk = Check(pModel->AddContact(contact) >= 0, "contact added");
    bOk = Check(std::filesystem::exists(HostControl::MapPath("/config/data/contact_list.xml")),
                "contact file written under the data root") &&
          bOk;

    const std::string strCaller = Directory_GetContactNameByNumber("0155501234");
    bOk = Check(strCaller == "Ada Lovelace", "caller 0155501234 is '" + strCaller + "'") && bOk;

    CSearchReceiver receiver;
    NS_DIRECTORY::ContactGeneralSearchItemListData window;
    window.m_nCountToGet = 10;
    bOk = Check(Directory_SearchWithMutlNumberAsync(&window, "All Contacts", "lov", &receiver),
                "background search started") &&
          bOk;
    const bool bIdle = HostControl::RunUntilIdle(5000);
    const bool bFound = receiver.m_listAnswers.size() == 1 && receiver.m_listAnswers[0].m_nTotalCount == 1 &&
                        receiver.m_listAnswers[0].m_listData[0].m_strDisplayName == "Ada Lovelace";
    bOk = Check(bIdle && bFound, "search 'lov' answered on the GUI thread with Ada Lovelace") && bOk;

    // The settings service: the blacklist display setting changed (message 65543, setting group 50).
    bOk = Check(HostControl::SendMessage(65543, 50, 0) == 0, "setting change answered") && bOk;
    int nChanged = 0;
    for (const HostControl::Notification& note : HostControl::TakeNotifications()) {
        nChanged += note.id == NS_DIRECTORY::kLocalContactChangedMsg ? 1 : 0;
    }
    bOk =
        Check(nChanged == 2, "GUI told the phone book changed, after the edit and the setting change") && bOk;

    // Shutdown: both files written, then the singletons released.
    bOk = Check(Directory_UnInit(), "module stopped, both files written") && bOk;
    NS_DIRECTORY::CContactEditorController::ReleaseInstance();
    NS_DIRECTORY::CContactGroupController::ReleaseInstance();
    CContactGeneralModel::ReleaseInstance();
    return bOk;
}

}  // namespace

int main(int argc, char** argv) {
    const bool bOwnRoot = argc <= 1;
    const std::string strRoot = bOwnRoot ? MakeTempRoot() : std::string(argv[1]);
    if (strRoot.empty()) {
        std::printf("FAIL no data root\n");
        return 1;
    }
    // The reference host: this thread is the GUI thread, phone paths live under the root, and nothing
    // ever leaves this machine.
    HostControl::SetLoopbackOnly(true);
    HostControl::Reset();
    HostControl::SetRootDir(strRoot);

    const bool bOk = UseThePhoneBook();

    HostControl::Reset();
    if (bOwnRoot) {
        std::error_code ec;
        std::filesystem::remove_all(strRoot, ec);
    }
    std::printf("%s\n", bOk ? "consumer example passed" : "consumer example FAILED");
    return bOk ? 0 : 1;
}
