#include "EntryFixture.h"

#include <algorithm>

#include "ConfigParser.h"
#include "ContactBroadSoftModel.h"
#include "ContactEditorController.h"
#include "ContactGeneralModel.h"
#include "ContactGroupController.h"
#include "ContactRemoteModel.h"
#include "DirectoryEntry.h"
#include "DirectoryShortcut.h"
#include "RemoteDocBuilder.h"
#include "XsiAccount.h"

namespace entrytest {

void EntryFixture::SetUp() {
    HostControl::SetManualClock(true);
}

void EntryFixture::TearDown() {
    m_xsi.ReleaseStalls();
    m_http.ReleaseStalls();
    EXPECT_TRUE(HostControl::RunUntilIdle(60000));
    NS_DIRECTORY::CDirectoryShortcut::ReleaseInstance();
    NS_DIRECTORY::CContactEditorController::ReleaseInstance();
    NS_DIRECTORY::CContactGroupController::ReleaseInstance();
    NS_DIRECTORY::CContactRemoteModel::ReleaseInstance();
    NS_DIRECTORY::CContactGeneralModel::ReleaseInstance();
    // The network directory model has no release of its own; it goes as at the library's unload.
    delete NS_DIRECTORY::CContactBroadSoftModel::PeekInstance();
    EXPECT_TRUE(HostControl::RunUntilIdle(60000));
}

void EntryFixture::WriteContacts(const std::vector<LocalContact>& vecContacts) {
    std::string strXml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<root_contact>\n";
    for (const LocalContact& contact : vecContacts) {
        strXml += "\t<contact display_name=\"" + contact.strName + "\" group_id_name=\"" +
                  std::to_string(contact.nGroupId) + "\" mobile_number=\"" + contact.strMobile +
                  "\" default_photo=\"" + contact.strPhoto + "\"/>\n";
    }
    m_root.WriteFile(kContactFile, strXml + "</root_contact>\n");
}

void EntryFixture::WriteRemoteSettings(const std::string& strDisplayName,
                                       const std::vector<RemoteSlot>& vecSlots) {
    std::vector<testsupport::RemoteLink> vecLinks;
    for (const RemoteSlot& slot : vecSlots) {
        vecLinks.push_back({slot.first, slot.second.empty() ? std::string() : m_http.Url(slot.second)});
    }
    m_root.WriteFile("/config/data/remote_phonebook_list.xml",
                     testsupport::BuildRemoteSettings(strDisplayName, vecLinks));
}

void EntryFixture::ServeRemoteDirectory(const std::string& strPath,
                                        const std::vector<std::pair<std::string, std::string>>& vecEntries) {
    std::vector<testsupport::RemoteEntry> vecRemote;
    for (const auto& entry : vecEntries) {
        vecRemote.push_back({entry.first, {entry.second}});
    }
    m_http.Serve(strPath, testsupport::BuildRemoteDirectory("Directory", vecRemote));
}

void EntryFixture::ConfigureBroadSoft(const std::vector<std::string>& vecEnabled) {
    testsupport::ConfigureXsiAccount(m_xsi, kUser, kPassword, m_xsi.Port());
    for (const char* pKey :
         {"BsftGroup", "BsftEnterprise", "BsftGroupCommon", "BsftEnterpriseCommon", "BsftPersonal"}) {
        const bool bOn = std::find(vecEnabled.begin(), vecEnabled.end(), pKey) != vecEnabled.end();
        configParser_SetConfigInt(pKey, bOn ? 1 : 0);
    }
}

void EntryFixture::WriteShortcuts(const std::vector<std::pair<std::string, int>>& vecItems) {
    std::string strXml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<root_favorite_set>\n";
    for (const auto& item : vecItems) {
        strXml += "\t<item id_name=\"" + item.first + "\" display_name=\"" + item.first +
                  "\" enable=\"1\" priority=\"" + std::to_string(item.second) + "\"/>\n";
    }
    m_root.WriteFile(kShortcutFile, strXml + "</root_favorite_set>\n");
}

void EntryFixture::Start() {
    ASSERT_TRUE(Directory_PreLoadConfigureFile());
    ASSERT_TRUE(Directory_RegisterMessage());
    WaitIdle();
}

void EntryFixture::WaitIdle() {
    ASSERT_TRUE(HostControl::RunUntilIdle(60000));
}

int EntryFixture::SendConfig(int wParam, int lParam) {
    return HostControl::SendMessage(65543, wParam, lParam);
}

int EntryFixture::SendTimer(int nTimerId) {
    return HostControl::SendMessage(33043, nTimerId, 0);
}

std::vector<int> EntryFixture::TakeNotificationIds() {
    std::vector<int> vecIds;
    for (const HostControl::Notification& note : HostControl::TakeNotifications()) {
        vecIds.push_back(note.id);
    }
    return vecIds;
}

std::vector<std::string> EntryFixture::TakeLog() {
    return HostControl::TakeLogLines();
}

bool EntryFixture::Logged(const std::vector<std::string>& vecLines, const std::string& strLine) {
    return std::find(vecLines.begin(), vecLines.end(), strLine) != vecLines.end();
}

void EntryFixture::DropRecords() {
    HostControl::TakeNotifications();
    HostControl::TakeLogLines();
    HostControl::TakeMenuTitles();
}

}  // namespace entrytest
