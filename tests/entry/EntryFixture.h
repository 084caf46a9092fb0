#pragma once
// The module driven as the phone drives it: settings in the configuration store and files in a fresh
// temporary root, remote phonebooks and a network directory on loopback servers, start through
// Directory_PreLoadConfigureFile and Directory_RegisterMessage, messages through the host's bus, and a
// host shutdown that releases every model at the end of each test.

#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "HostControl.h"
#include "LoopbackHttpServer.h"
#include "MockXsiServer.h"
#include "TempRoot.h"

namespace entrytest {

constexpr const char* kGroupFile = "/config/data/contact_group_list.xml";
constexpr const char* kContactFile = "/config/data/contact_list.xml";
constexpr const char* kExportFile = "/config/data/contact_xported.xml";
constexpr const char* kShortcutFile = "/config/data/favorite_setting.xml";
constexpr const char* kUser = "bob@example.test";
constexpr const char* kPassword = "pw-4711";

// One local contact of the contact file; group 0 is "All Contacts", 1 the blacklist.
struct LocalContact {
    std::string strName;
    int nGroupId;
    std::string strMobile;
    std::string strPhoto;  // stored form, "" for none
};

// One remote phonebook slot: name and path on the loopback server ("" for no URL).
using RemoteSlot = std::pair<std::string, std::string>;

class EntryFixture : public testsupport::HostFixture {
protected:
    EntryFixture() : m_xsi(kUser, kPassword) {}
    void SetUp() override;
    // The host shuts down: every singleton is released and the loop runs dry.
    void TearDown() override;

    void WriteContacts(const std::vector<LocalContact>& vecContacts);
    // The remote settings file; each slot's path is served as a directory holding one entry per name given.
    void WriteRemoteSettings(const std::string& strDisplayName, const std::vector<RemoteSlot>& vecSlots);
    void ServeRemoteDirectory(const std::string& strPath,
                              const std::vector<std::pair<std::string, std::string>>& vecEntries);
    // The network directory account of the mock server, with these directories enabled ("BsftGroup", ...).
    void ConfigureBroadSoft(const std::vector<std::string>& vecEnabled);
    // "favorite_setting.xml" with these ids enabled at these priorities.
    void WriteShortcuts(const std::vector<std::pair<std::string, int>>& vecItems);

    // The host's start: the models load, the handlers are registered, the first downloads end.
    void Start();
    void WaitIdle();
    // A configuration-change message as the phone's settings service sends it; answers the reply.
    static int SendConfig(int wParam, int lParam);
    static int SendTimer(int nTimerId);

    // Ids of the notifications since the last take, in order.
    static std::vector<int> TakeNotificationIds();
    // Log lines since the last take.
    static std::vector<std::string> TakeLog();
    static bool Logged(const std::vector<std::string>& vecLines, const std::string& strLine);
    // Forgets what the host recorded so far.
    static void DropRecords();

    testsupport::LoopbackHttpServer m_http;
    testsupport::MockXsiServer m_xsi;
};

}  // namespace entrytest
