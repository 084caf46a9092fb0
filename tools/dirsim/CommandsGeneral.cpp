// Commands about dirsim itself and the phone around the module: help, status, notifications, the log,
// waiting, the directory shortcuts, configuration keys and the phone's network and call state.

#include <algorithm>
#include <cstdlib>

#include "CommandSupport.h"
#include "ConfigParser.h"
#include "ContactBroadSoftModel.h"
#include "ContactGeneralModel.h"
#include "DirectoryMessage.h"
#include "DirectoryShortcut.h"
#include "HostControl.h"
#include "ModuleAdapter.h"
#include "Progress.h"
#include "Session.h"

namespace dirsim {

using namespace NS_DIRECTORY;

namespace {

Result Help(CSession&, const Args& args) {
    Result result;
    const std::string strName = args.Text("command");
    if (!strName.empty()) {
        const CommandDef* pDef = Commands().Find(strName);
        if (pDef == nullptr) {
            size_t nWords = 0;
            std::vector<std::string> vecWords;
            std::string strIgnored;
            SplitWords(strName, &vecWords, &strIgnored);
            pDef = Commands().Match(vecWords, &nWords);
        }
        if (pDef == nullptr) {
            return Result::Fail("there is no command \"" + strName + "\"; \"help\" lists them all");
        }
        result.data["command"] = pDef->strName;
        result.data["usage"] = Usage(*pDef);
        result.data["example"] = pDef->strExample;
        result.Line(pDef->strSummary)
            .Line("  usage:   " + Usage(*pDef))
            .Line("  example: " + pDef->strExample);
        for (const ParamDef& param : pDef->vecParams) {
            const std::string strLabel =
                param.eKind == ParamKind::Positional ? param.strName : "--" + param.strName;
            result.Line("    " + Pad(strLabel, 16) + param.strHelp);
        }
        return result;
    }
    result.data["commands"] = json::array();
    result.Line("Commands (help COMMAND for its parameters; --json prints results as JSON):");
    size_t nNameWidth = 0;
    size_t nSummaryWidth = 0;
    for (const CommandDef& def : Commands().All()) {
        nNameWidth = std::max(nNameWidth, def.strName.size());
        nSummaryWidth = std::max(nSummaryWidth, def.strSummary.size());
    }
    for (const CommandDef& def : Commands().All()) {
        result.data["commands"].push_back({{"name", def.strName},
                                           {"summary", def.strSummary},
                                           {"example", def.strExample},
                                           {"usage", Usage(def)}});
        result.Line("  " + Pad(def.strName, nNameWidth + 2) + Pad(def.strSummary, nSummaryWidth + 2) +
                    "e.g. " + def.strExample);
    }
    return result;
}

Result Status(CSession& session, const Args&) {
    const CContactGeneralModel* pLocal = CContactGeneralModel::GetInstance();
    Result result;
    result.data["root"] = session.RootDir();
    result.data["loopbackOnly"] = HostControl::IsLoopbackOnly();
    result.data["demoServer"] = session.DemoServerUrl();
    result.data["local"] = {{"contacts", pLocal->GetCurrentContactCount()},
                            {"blacklisted", pLocal->GetCurrentBlackCount()},
                            {"favourites", pLocal->GetCurrentFavorateCount()},
                            {"groups", pLocal->GetCurrentGroupCount()},
                            {"limits",
                             {{"contacts", pLocal->GetMaxContactCount()},
                              {"blacklist", pLocal->GetMaxBlackCount()},
                              {"groups", pLocal->GetMaxGroupCount()}}}};
    std::list<std::string> listSlots;
    module::GetAllConfiguredItemName(&listSlots);
    result.data["remote"] = {{"configured", module::IsRemoteContactConfigured()},
                             {"displayName", module::GetRemoteDisplayName()},
                             {"slots", listSlots}};
    result.data["transfers"] = {{"done", session.Transfers().DoneCount()},
                                {"failed", session.Transfers().FailedCount()}};
    CContactBroadSoftModel* pBsft = CContactBroadSoftModel::GetInstance();
    ContactBroadSoftListData combined;
    ContactBroadSoftItemData none;
    combined.m_nCountToGet = 1;
    const bool bBsft = module::IsBroadSoftContactConfigured();
    if (bBsft) {
        pBsft->GetContactListByClickAction(&combined, "broadsoft_phonebook_x0", none, false, false);
    }
    std::list<std::string> listDirectories;
    pBsft->GetConfiguredList(&listDirectories);
    result.data["broadsoft"] = {
        {"configured", bBsft}, {"directories", listDirectories}, {"combinedEntries", combined.m_nTotalCount}};
    result.data["boot"] = session.BootReport();
    result.Line("data folder: " + session.RootDir() +
                (session.FirstRun() ? " (seeded with the demo this run)" : ""));
    result.Line("network: " + std::string(HostControl::IsLoopbackOnly() ? "127.0.0.1 only" : "any server") +
                (session.DemoServerUrl().empty() ? "" : "; demo server " + session.DemoServerUrl()));
    result.Line("local phone book: " + std::to_string(pLocal->GetCurrentContactCount()) + " contacts, " +
                std::to_string(pLocal->GetCurrentBlackCount()) + " blacklisted, " +
                std::to_string(pLocal->GetCurrentFavorateCount()) + " favourites, " +
                std::to_string(pLocal->GetCurrentGroupCount()) + " groups");
    std::string strSlots;
    for (const std::string& strSlot : listSlots) {
        strSlots += (strSlots.empty() ? "" : ", ") + strSlot;
    }
    result.Line("remote phonebook: " + (strSlots.empty() ? std::string("not configured") : strSlots));
    std::string strDirectories;
    for (const std::string& strDirectory : listDirectories) {
        strDirectories += (strDirectories.empty() ? "" : ", ") + strDirectory;
    }
    result.Line(
        "network directory: " +
        (bBsft ? strDirectories + "; " + Counted(combined.m_nTotalCount, "entry") + " in the combined list"
               : std::string("not configured")));
    result.Line("transfers so far: " + std::to_string(session.Transfers().DoneCount()) + " done, " +
                std::to_string(session.Transfers().FailedCount()) + " failed");
    return result;
}

json NoticesJson(const std::vector<Notice>& vecNotices) {
    json notices = json::array();
    for (const Notice& notice : vecNotices) {
        notices.push_back({{"id", notice.nId},
                           {"wParam", notice.wParam},
                           {"lParam", notice.lParam},
                           {"text", notice.strText}});
    }
    return notices;
}

Result Notifications(CSession& session, const Args&) {
    const std::vector<Notice> vecNotices = session.TakeIdleNotices();
    Result result;
    result.data["notifications"] = NoticesJson(vecNotices);
    if (vecNotices.empty()) {
        return result.Line("no notifications since the last command");
    }
    result.Line(Counted(static_cast<int>(vecNotices.size()), "notification") + " since the last command:");
    for (const Notice& notice : vecNotices) {
        result.Line("  " + notice.strText);
    }
    return result;
}

Result Log(CSession& session, const Args& args) {
    const int nLines = args.Int("lines", 20);
    if (nLines < 1) {
        return Result::Fail("--lines must be at least 1");
    }
    Result result;
    result.data["lines"] = json::array();
    for (std::string strLine : session.RecentLog(static_cast<size_t>(nLines))) {
        while (!strLine.empty() && strLine.back() == '\n') {
            strLine.pop_back();
        }
        result.data["lines"].push_back(strLine);
        result.Line(strLine);
    }
    return result;
}

Result Wait(CSession& session, const Args& args) {
    const int nMs = args.Int("ms", 1000);
    if (nMs < 0 || nMs > 600000) {
        return Result::Fail("wait between 0 and 600000 milliseconds");
    }
    const bool bIdle = args.Flag("idle");
    const CSession::WaitEnd eEnd =
        bIdle ? session.WaitIdle(nMs) : session.WaitUntil([] { return false; }, nMs);
    if (eEnd == CSession::WaitEnd::Interrupted) {
        return Result::Fail("interrupted");
    }
    Result result;
    result.data["idle"] = bIdle ? eEnd == CSession::WaitEnd::Done : HostControl::RunUntilIdle(0);
    return result.Line(bIdle ? (eEnd == CSession::WaitEnd::Done ? "no background work left"
                                                                : "background work still running")
                             : "ran the phone for " + std::to_string(nMs) + " ms");
}

Result Shortcuts(CSession&, const Args&) {
    DirShortcutListData list;
    list.m_nCountToGet = 100;
    if (!module::GetShortcutList(&list)) {
        return Result::Fail("the directory shortcut list is not available");
    }
    Result result;
    result.data["shortcuts"] = json::array();
    result.Line("the directory screen offers:");
    int nNumber = 0;
    for (const DirShortcutData& shortcut : list.m_listData) {
        result.data["shortcuts"].push_back(shortcut.m_strIdName);
        result.Line("  " + std::to_string(++nNumber) + ". " + shortcut.m_strIdName);
    }
    return result;
}

// ---- configuration changes, told to the module as the phone tells it: message 65543 with the setting group

// Long enough for a network directory of many pages to download again.
constexpr int kSettingWaitMs = 60000;

struct SettingMessage {
    int wParam = 0;
    int lParam = 0;
};

struct SettingGroupName {
    const char* pName;
    int wParam;
};

constexpr SettingGroupName kSettingGroups[] = {
    {"local-files", DIR_CONFIG_LOCAL_FILES},
    {"supersearch", DIR_CONFIG_SUPERSEARCH},
    {"xport", DIR_CONFIG_XPORT},
    {"remote", DIR_CONFIG_REMOTE},
    {"broadsoft", DIR_CONFIG_BROADSOFT},
    {"blacklist-show", DIR_CONFIG_BLACKLIST_SHOW},
    {"broadsoft-custom", DIR_CONFIG_BROADSOFT_CUSTOM},
    {"favorite", DIR_CONFIG_FAVORITE},
};

std::string SettingGroupWords(int wParam) {
    for (const SettingGroupName& group : kSettingGroups) {
        if (group.wParam == wParam) {
            return group.pName;
        }
    }
    return "group " + std::to_string(wParam);
}

bool StartsWith(const std::string& strText, const char* pPrefix) {
    return strText.rfind(pPrefix, 0) == 0;
}

// The setting groups a phone announces after the key changed; none for a key the module reads when it
// needs it (the remote caller-name switch) or does not read at all.
std::vector<SettingMessage> MessagesForKey(const std::string& strKey) {
    if (strKey == "BSFTActive") {
        return {{DIR_CONFIG_BROADSOFT, 0}, {DIR_CONFIG_FAVORITE, 0}};
    }
    if (strKey == "LDAPSwitch") {
        return {{DIR_CONFIG_FAVORITE, 0}};
    }
    if (strKey == "SRemoteNameFlashTime") {
        return {{DIR_CONFIG_REMOTE, 1}};
    }
    if (StartsWith(strKey, "BsftCustomList")) {
        return {{DIR_CONFIG_BROADSOFT_CUSTOM, 0}};
    }
    if (StartsWith(strKey, "Bsft") || StartsWith(strKey, "BstDir") ||
        strKey.find("BroadsoftXSI") != std::string::npos) {
        return {{DIR_CONFIG_BROADSOFT, 0}};
    }
    return {};
}

// Sends 65543 and lets the phone run until the work it started (downloads, reloads) is done.
json SendSettingMessage(CSession& session, const SettingMessage& message, Result* pResult) {
    const int nReply = HostControl::SendMessage(DIRECTORY_MSG_CONFIG_CHANGED, message.wParam, message.lParam);
    CProgress progress("the module reloads " + SettingGroupWords(message.wParam), session.ShowProgress());
    session.WaitIdle(kSettingWaitMs, &progress);
    pResult->Line("told the module: " + SettingGroupWords(message.wParam) + " settings changed (message " +
                  std::to_string(DIRECTORY_MSG_CONFIG_CHANGED) + ", " + std::to_string(message.wParam) +
                  ", " + std::to_string(message.lParam) + "); it answered " + std::to_string(nReply));
    return json{{"wParam", message.wParam}, {"lParam", message.lParam}, {"reply", nReply}};
}

bool ReadSettingGroup(const std::string& strGiven, int* pGroup) {
    for (const SettingGroupName& group : kSettingGroups) {
        if (strGiven == group.pName) {
            *pGroup = group.wParam;
            return true;
        }
    }
    char* pEnd = nullptr;
    const long nValue = std::strtol(strGiven.c_str(), &pEnd, 10);
    if (strGiven.empty() || *pEnd != '\0' || nValue < 0 || nValue > 0xFFFF) {
        return false;
    }
    *pGroup = static_cast<int>(nValue);
    return true;
}

Result Message(CSession& session, const Args& args) {
    SettingMessage message;
    if (!ReadSettingGroup(args.Text("group"), &message.wParam)) {
        std::string strNames;
        for (const SettingGroupName& group : kSettingGroups) {
            strNames += (strNames.empty() ? "" : ", ") + std::string(group.pName);
        }
        return Result::Fail("\"" + args.Text("group") + "\" is no setting group; say one of " + strNames +
                            ", or its number");
    }
    message.lParam = args.Int("lparam", 0);
    Result result;
    result.data["message"] = SendSettingMessage(session, message, &result);
    return result;
}

// A configuration value as shown: passwords only as set or not.
std::string ShownValue(const std::string& strKey) {
    const std::string strValue = configParser_GetConfigString(strKey);
    if (CSession::IsSecretKey(strKey)) {
        return strValue.empty() ? "(not set)" : "(set)";
    }
    return strValue;
}

Result Config(CSession& session, const Args& args) {
    const std::string strKey = args.Text("key");
    Result result;
    if (strKey.empty()) {
        result.data["config"] = json::object();
        for (const std::string& strEntry : session.ConfigKeys()) {
            const std::string strValue = ShownValue(strEntry);
            result.data["config"][strEntry] = strValue;
            result.Line("  " + Pad(strEntry, 38) + strValue);
        }
        return result;
    }
    if (!args.Has("value")) {
        result.data[strKey] = ShownValue(strKey);
        return result.Line(strKey + " = " + ShownValue(strKey));
    }
    std::string strError;
    if (!session.SetConfig(strKey, args.Text("value"), &strError)) {
        return Result::Fail("set " + strKey + " for this run, but " + strError);
    }
    result.data[strKey] = ShownValue(strKey);
    result.Line(strKey + " = " + ShownValue(strKey) +
                (CSession::IsSecretKey(strKey) ? " (for this run only; passwords are not kept)"
                                               : " (kept in the data folder)"));
    result.data["messages"] = json::array();
    for (const SettingMessage& message : MessagesForKey(strKey)) {
        result.data["messages"].push_back(SendSettingMessage(session, message, &result));
    }
    return result;
}

Result Phone(CSession&, const Args& args) {
    const std::string strWhat = args.Text("what");
    const std::string strState = args.Text("state");
    const bool bOn = strState == "on" || strState == "up" || strState == "start";
    const bool bOff = strState == "off" || strState == "down" || strState == "end";
    if (!bOn && !bOff) {
        return Result::Fail("say on or off, not \"" + strState + "\"");
    }
    Result result;
    if (strWhat == "network") {
        HostControl::SetNetworkReady(bOn);
        result.data["network"] = bOn;
        return result.Line(bOn ? "the phone's network is up" : "the phone's network is down");
    }
    if (strWhat == "call") {
        HostControl::SetCallSessionExists(bOn);
        result.data["call"] = bOn;
        return result.Line(bOn ? "a call is in progress (refreshes wait)" : "no call in progress");
    }
    if (strWhat == "ldap") {
        HostControl::SetLdapOn(bOn);
        result.data["ldap"] = bOn;
        return result.Line(bOn ? "LDAP is switched on" : "LDAP is switched off");
    }
    return Result::Fail("the phone has network, call and ldap, not \"" + strWhat + "\"");
}

Result Quit(CSession&, const Args&) {
    Result result;
    result.data["quit"] = true;
    return result.Line("bye");
}

}  // namespace

void AddGeneralCommands(CCommandRegistry& registry) {
    registry.Add({"help",
                  "every command, or one command's parameters",
                  "help add",
                  {{"command", ParamKind::Positional, ParamType::Text, false, true, "command name"}},
                  Help});
    registry.Add(
        {"status", "the data folder, the network mode and what each directory holds", "status", {}, Status});
    registry.Add({"notifications",
                  "what the module told the GUI since the last command",
                  "notifications",
                  {},
                  Notifications});
    registry.Add({"log",
                  "the module's latest log lines",
                  "log --lines 40",
                  {{"lines", ParamKind::Option, ParamType::Int, false, false, "how many (default 20)"}},
                  Log});
    registry.Add(
        {"wait",
         "let the phone run (timers, downloads) for a while",
         "wait 2000 --idle",
         {{"ms", ParamKind::Positional, ParamType::Int, false, false, "milliseconds (default 1000)"},
          {"idle", ParamKind::Flag, ParamType::Text, false, false, "stop early when no work is left"}},
         Wait});
    registry.Add(
        {"shortcuts", "the directories the phone's directory screen offers", "shortcuts", {}, Shortcuts});
    registry.Add({"config",
                  "show or set a configuration key (kept in the data folder)",
                  "config SearchNameFromRemoteSwitch 0",
                  {{"key", ParamKind::Positional, ParamType::Text, false, false, "key"},
                   {"value", ParamKind::Positional, ParamType::Text, false, false, "new value"}},
                  Config});
    registry.Add(
        {"message",
         "tell the module a group of settings changed, as the phone does (message 65543)",
         "message remote --lparam 0",
         {{"group", ParamKind::Positional, ParamType::Text, true, false,
           "local-files, supersearch, xport, remote, broadsoft, blacklist-show, broadsoft-custom, "
           "favorite, or a number"},
          {"lparam", ParamKind::Option, ParamType::Int, false, false, "what changed within it (default 0)"}},
         Message});
    registry.Add({"phone",
                  "switch the phone's network, a call or LDAP on or off",
                  "phone network off",
                  {{"what", ParamKind::Positional, ParamType::Text, true, false, "network, call or ldap"},
                   {"state", ParamKind::Positional, ParamType::Text, true, false, "on or off"}},
                  Phone});
    registry.Add({"quit", "save, stop the module and leave", "quit", {}, Quit});
}

const CCommandRegistry& Commands() {
    static const CCommandRegistry registry = [] {
        CCommandRegistry all;
        AddGeneralCommands(all);
        AddLocalCommands(all);
        AddRemoteCommands(all);
        AddTransferCommands(all);
        AddBroadSoftCommands(all);
        return all;
    }();
    return registry;
}

}  // namespace dirsim
