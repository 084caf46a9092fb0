// Commands of the local phone book: groups, contacts, blacklist, favourites, search, caller lookup, dialling.

#include <strings.h>

#include <list>

#include "CommandSupport.h"
#include "CommonAPI.h"
#include "CommonUnits.h"
#include "ContactEditorController.h"
#include "ContactGeneralModel.h"
#include "ContactGroupController.h"
#include "HostControl.h"
#include "LocalSearch.h"
#include "ModuleAdapter.h"
#include "Session.h"
#include "Words.h"

namespace dirsim {

using namespace NS_DIRECTORY;

namespace {

CContactGeneralModel& Model() {
    return *CContactGeneralModel::GetInstance();
}

struct GroupInfo {
    std::string strName;
    std::string strRing;
    int nId = -1;
};

std::vector<GroupInfo> AllGroups() {
    std::vector<GroupInfo> vecGroups;
    ContactGroupListData list;
    list.m_nCountToGet = 1 << 16;
    if (CContactGroupController::GetInstance()->GetGroupList(&list, true)) {
        for (const ContactGroupData& group : list.m_listData) {
            vecGroups.push_back(
                {group.m_strDisplayName, group.m_strRing, module::GetGIdByGName(group.m_strDisplayName)});
        }
    }
    return vecGroups;
}

std::string GroupNames() {
    std::string strNames;
    for (const GroupInfo& group : AllGroups()) {
        strNames += (strNames.empty() ? "" : ", ") + group.strName;
    }
    return strNames;
}

// The group named exactly so, else the only one whose name equals it ignoring case; "" is All Contacts.
bool FindGroup(const std::string& strName, GroupInfo* pGroup, std::string* pError) {
    const std::vector<GroupInfo> vecGroups = AllGroups();
    for (const GroupInfo& group : vecGroups) {
        if (strName.empty() ? group.nId == kAllContactsGroupId : group.strName == strName) {
            *pGroup = group;
            return true;
        }
    }
    for (const GroupInfo& group : vecGroups) {
        if (strcasecmp(group.strName.c_str(), strName.c_str()) == 0) {
            *pGroup = group;
            return true;
        }
    }
    *pError = "there is no group named \"" + strName + "\" (groups: " + GroupNames() + ")";
    return false;
}

// The stored record of a contact, its name compared ignoring case.
bool FindContact(const std::string& strName, ContactGeneralItemData* pData, std::string* pError) {
    if (module::GetContactDataByName(pData, strName)) {
        return true;
    }
    *pError = "there is no contact named \"" + strName + "\"";
    return false;
}

// Every name resolved to its stored form; false (naming the first unknown one) when any is unknown.
bool ResolveNames(const std::vector<std::string>& vecNames, std::list<std::string>* pStored,
                  std::string* pError) {
    for (const std::string& strName : vecNames) {
        ContactGeneralItemData data;
        if (!FindContact(strName, &data, pError)) {
            return false;
        }
        pStored->push_back(data.m_strDisplayName);
    }
    return true;
}

json NamesJson(const std::list<std::string>& listNames) {
    json names = json::array();
    for (const std::string& strName : listNames) {
        names.push_back(strName);
    }
    return names;
}

std::string JoinNames(const std::list<std::string>& listNames) {
    std::string strJoined;
    for (const std::string& strName : listNames) {
        strJoined += (strJoined.empty() ? "" : ", ") + strName;
    }
    return strJoined;
}

// A page of a contact list as a result.
Result PageResult(const std::string& strTitle, const ContactGeneralItemListData& list,
                  const PageRequest& page, bool bWithGroup) {
    const std::vector<std::string> vecFavourites = FavouriteNames();
    Result result;
    result.data = PageJson(page, list.m_nTotalCount);
    result.data["title"] = strTitle;
    result.data["contacts"] = json::array();
    result.Line(strTitle + ": " + PageSummary(page, list.m_nTotalCount, "contact"));
    int nNumber = page.From();
    for (const ContactGeneralItemData& data : list.m_listData) {
        const bool bFavourite = Contains(vecFavourites, data.m_strDisplayName);
        result.data["contacts"].push_back(ContactJson(data, bFavourite));
        result.Line("  " + ContactLine(++nNumber, data, bFavourite, bWithGroup));
    }
    if (list.m_listData.empty()) {
        result.Line(list.m_nTotalCount == 0 ? "  (empty)" : "  (no contacts on this page)");
    }
    return result;
}

// ---- groups

Result Groups(CSession&, const Args&) {
    Result result;
    result.data["groups"] = json::array();
    const std::vector<GroupInfo> vecGroups = AllGroups();
    result.Line(std::to_string(vecGroups.size()) + " groups (at most " +
                std::to_string(Model().GetMaxGroupCount()) + "):");
    for (const GroupInfo& group : vecGroups) {
        ContactGeneralItemListData list;
        Model().GetContactListById(&list, group.nId);
        const bool bBuiltIn = CContactGeneralModel::MyIsGroupReadOnly(group.nId);
        result.data["groups"].push_back({{"name", group.strName},
                                         {"id", group.nId},
                                         {"ring", group.strRing},
                                         {"contacts", list.m_nTotalCount},
                                         {"builtIn", bBuiltIn}});
        result.Line(
            "  " + Pad(group.strName, 20) + Pad(std::to_string(list.m_nTotalCount) + " contacts", 14) +
            Pad(bBuiltIn ? "built in" : "", 10) + (group.strRing.empty() ? "" : "ring " + group.strRing));
    }
    return result;
}

Result GroupAdd(CSession&, const Args& args) {
    ContactGroupData data;
    data.m_strDisplayName = args.Text("name");
    data.m_strRing = RingPath(args.Text("ring"));
    ClearLocalCode();
    if (CContactGroupController::GetInstance()->AddGroup(data) < 0) {
        return LocalRefusal("cannot add the group \"" + data.m_strDisplayName + "\"");
    }
    Result result;
    result.data["group"] = {{"name", data.m_strDisplayName},
                            {"id", module::GetGIdByGName(data.m_strDisplayName)}};
    return result.Line("added the group " + data.m_strDisplayName);
}

Result GroupEdit(CSession&, const Args& args) {
    GroupInfo group;
    std::string strError;
    if (!FindGroup(args.Text("group"), &group, &strError)) {
        return Result::Fail(strError);
    }
    ContactGroupData data;
    data.m_strDisplayName = args.Text("name", group.strName);
    data.m_strRing = args.Has("ring") ? RingPath(args.Text("ring")) : group.strRing;
    ClearLocalCode();
    if (CContactGroupController::GetInstance()->UpdateGroupData(group.strName, data) < 0) {
        return LocalRefusal("cannot change the group \"" + group.strName + "\"");
    }
    Result result;
    result.data["group"] = {{"name", data.m_strDisplayName}, {"ring", data.m_strRing}, {"id", group.nId}};
    return result.Line(
        "changed the group " + group.strName +
        (data.m_strDisplayName != group.strName ? " (now " + data.m_strDisplayName + ")" : ""));
}

Result GroupRemove(CSession&, const Args& args) {
    GroupInfo group;
    std::string strError;
    if (!FindGroup(args.Text("group"), &group, &strError)) {
        return Result::Fail(strError);
    }
    ContactGeneralItemListData before;
    Model().GetContactListById(&before, group.nId);
    ClearLocalCode();
    if (!CContactGroupController::GetInstance()->RemoveGroup(group.strName)) {
        return LocalRefusal("cannot remove the group \"" + group.strName + "\"");
    }
    Result result;
    result.data["removed"] = group.strName;
    result.data["contactsBefore"] = before.m_nTotalCount;
    result.data["contactsNow"] = Model().GetCurrentContactCount();
    return result.Line("removed the group " + group.strName + "; the phone book now holds " +
                       std::to_string(Model().GetCurrentContactCount()) + " contacts");
}

// ---- lists

Result Contacts(CSession&, const Args& args) {
    GroupInfo group;
    PageRequest page;
    std::string strError;
    if (!FindGroup(args.Text("group"), &group, &strError) || !ReadPage(args, &page, &strError)) {
        return Result::Fail(strError);
    }
    ContactGeneralItemListData list;
    list.m_nIndexFrom = page.From();
    list.m_nCountToGet = page.nSize;
    ClearLocalCode();
    if (!Model().GetContactListByClickAction(&list, kLocalClickActionPattern + std::to_string(group.nId))) {
        return LocalRefusal("cannot list " + group.strName);
    }
    return PageResult(group.strName, list, page, group.nId == kAllContactsGroupId);
}

Result Blacklist(CSession& session, const Args& args) {
    json values = args.Values();
    values["group"] = CContactGeneralModel::MyBuiltInGroup(kBlacklistGroupId).m_strDisplayName;
    return Contacts(session, Args(values));
}

Result Favourites(CSession&, const Args& args) {
    PageRequest page;
    std::string strError;
    if (!ReadPage(args, &page, &strError)) {
        return Result::Fail(strError);
    }
    ContactGeneralItemListData list;
    list.m_nIndexFrom = page.From();
    list.m_nCountToGet = page.nSize;
    if (!Model().GetFavorateList(&list)) {
        return LocalRefusal("cannot list the favourites");
    }
    return PageResult("Favourites", list, page, true);
}

Result Show(CSession&, const Args& args) {
    ContactGeneralItemData data;
    std::string strError;
    if (!FindContact(args.Text("contact"), &data, &strError)) {
        return Result::Fail(strError);
    }
    const bool bFavourite = Contains(FavouriteNames(), data.m_strDisplayName);
    Result result;
    result.data["contact"] = ContactJson(data, bFavourite);
    result.data["groupRing"] = Model().GetGroupRingByContact(data.m_strDisplayName);
    result.vecLines = ContactDetailLines(data, bFavourite);
    if (data.m_strRing.empty() && !result.data["groupRing"].get<std::string>().empty()) {
        result.Line("  rings with the group ring " + result.data["groupRing"].get<std::string>());
    }
    return result;
}

// ---- editing

void FillFields(const Args& args, ContactGeneralItemData* pData) {
    const std::pair<const char*, std::string*> texts[] = {{"mobile", &pData->m_strMobileNumber},
                                                          {"office", &pData->m_strOfficeNumber},
                                                          {"other", &pData->m_strOtherNumber}};
    for (const auto& text : texts) {
        if (args.Has(text.first)) {
            *text.second = args.Text(text.first);
        }
    }
    if (args.Has("ring")) {
        pData->m_strRing = RingPath(args.Text("ring"));
    }
    if (args.Has("photo")) {
        pData->m_strDefaultPhoto = PhotoPath(args.Text("photo"));
    }
    if (args.Has("line")) {
        pData->m_nLine = args.Int("line");
    }
}

std::vector<ParamDef> FieldParams() {
    return {{"mobile", ParamKind::Option, ParamType::Text, false, false, "mobile number"},
            {"office", ParamKind::Option, ParamType::Text, false, false, "office number"},
            {"other", ParamKind::Option, ParamType::Text, false, false, "other number"},
            {"ring", ParamKind::Option, ParamType::Text, false, false,
             "ring file (a bare name is a built-in ring)"},
            {"photo", ParamKind::Option, ParamType::Text, false, false,
             "photo file (a bare name is a built-in one)"},
            {"line", ParamKind::Option, ParamType::Int, false, false, "account line"}};
}

Result Add(CSession&, const Args& args) {
    ContactGeneralItemData data;
    data.m_strDisplayName = args.Text("name");
    GroupInfo group;
    std::string strError;
    const bool bBlack = args.Flag("blacklist");
    if (!bBlack && !FindGroup(args.Text("group"), &group, &strError)) {
        return Result::Fail(strError);
    }
    data.m_strGroupName = group.strName;
    FillFields(args, &data);
    ClearLocalCode();
    const int nPosition =
        bBlack ? Model().AddBlackContact(data) : CContactEditorController::GetInstance()->AddContact(data);
    if (nPosition < 0) {
        return LocalRefusal("cannot add \"" + data.m_strDisplayName + "\"");
    }
    ContactGeneralItemData stored;
    module::GetContactDataByName(&stored, data.m_strDisplayName);
    std::list<std::string> listName = {stored.m_strDisplayName};
    const bool bFavourite = args.Flag("favourite") && Model().ToFavorateList(listName);
    Result result;
    result.data["contact"] = ContactJson(stored, bFavourite);
    result.data["position"] = nPosition;
    return result.Line("added " + stored.m_strDisplayName + " to " + stored.m_strGroupName + " (position " +
                       std::to_string(nPosition) + ")" + (bFavourite ? " as a favourite" : ""));
}

Result Edit(CSession&, const Args& args) {
    ContactGeneralItemData data;
    std::string strError;
    if (!FindContact(args.Text("contact"), &data, &strError)) {
        return Result::Fail(strError);
    }
    const std::string strOldName = data.m_strDisplayName;
    if (args.Has("name")) {
        data.m_strDisplayName = args.Text("name");
    }
    if (args.Has("group")) {
        GroupInfo group;
        if (!FindGroup(args.Text("group"), &group, &strError)) {
            return Result::Fail(strError);
        }
        data.m_strGroupName = group.strName;
    }
    FillFields(args, &data);
    ClearLocalCode();
    const int nPosition = CContactEditorController::GetInstance()->UpdateContactData(strOldName, data);
    if (nPosition < 0) {
        return LocalRefusal("cannot change \"" + strOldName + "\"");
    }
    ContactGeneralItemData stored;
    module::GetContactDataByName(&stored, data.m_strDisplayName);
    Result result;
    result.data["contact"] = ContactJson(stored, Contains(FavouriteNames(), stored.m_strDisplayName));
    result.data["position"] = nPosition;
    return result.Line(
        "changed " + strOldName +
        (stored.m_strDisplayName != strOldName ? " (now " + stored.m_strDisplayName + ")" : ""));
}

Result Remove(CSession&, const Args& args) {
    std::list<std::string> listNames;
    std::string strError;
    if (!ResolveNames(args.List("contacts"), &listNames, &strError)) {
        return Result::Fail(strError + "; nothing was removed");
    }
    ClearLocalCode();
    if (!Model().RemoveContactList(listNames)) {
        return LocalRefusal("cannot remove " + JoinNames(listNames));
    }
    Result result;
    result.data["removed"] = NamesJson(listNames);
    return result.Line("removed " + JoinNames(listNames));
}

Result Move(CSession&, const Args& args) {
    std::list<std::string> listNames;
    GroupInfo group;
    std::string strError;
    if (!ResolveNames(args.List("contacts"), &listNames, &strError) ||
        !FindGroup(args.Text("to"), &group, &strError)) {
        return Result::Fail(strError + "; nothing was moved");
    }
    ClearLocalCode();
    const int nResult = Model().MoveListToGroup(listNames, group.strName);
    if (nResult != 0) {
        if (CommonUnits_GetErrorId() == 0) {
            CommonUnits_SetErrorId(nResult);
        }
        return LocalRefusal("cannot move " + JoinNames(listNames) + " to " + group.strName);
    }
    Result result;
    result.data["moved"] = NamesJson(listNames);
    result.data["group"] = group.strName;
    return result.Line("moved " + JoinNames(listNames) + " to " + group.strName);
}

Result BlockOrUnblock(const Args& args, bool bBlock) {
    std::list<std::string> listNames;
    std::string strError;
    if (!ResolveNames(args.List("contacts"), &listNames, &strError)) {
        return Result::Fail(strError);
    }
    Result result;
    result.data[bBlock ? "blocked" : "unblocked"] = json::array();
    for (const std::string& strName : listNames) {
        ClearLocalCode();
        const bool bOk = bBlock ? Model().Local2Black(strName) : Model().Black2Local(strName);
        if (!bOk) {
            Result failure =
                LocalRefusal(std::string("cannot ") + (bBlock ? "block " : "unblock ") + strName);
            failure.data["done"] = result.data;
            return failure;
        }
        result.data[bBlock ? "blocked" : "unblocked"].push_back(strName);
        result.Line(strName +
                    (bBlock ? " is now in the blacklist" : " is out of the blacklist, in All Contacts"));
    }
    return result;
}

Result Block(CSession&, const Args& args) {
    return BlockOrUnblock(args, true);
}

Result Unblock(CSession&, const Args& args) {
    return BlockOrUnblock(args, false);
}

Result Fav(CSession&, const Args& args) {
    std::list<std::string> listNames;
    std::string strError;
    if (!ResolveNames(args.List("contacts"), &listNames, &strError)) {
        return Result::Fail(strError);
    }
    ClearLocalCode();
    if (!Model().ToFavorateList(listNames)) {
        return LocalRefusal("cannot mark " + JoinNames(listNames));
    }
    Result result;
    result.data["favourites"] = NamesJson(listNames);
    return result.Line("favourites now include " + JoinNames(listNames));
}

Result Unfav(CSession&, const Args& args) {
    ClearLocalCode();
    if (args.Flag("all")) {
        if (!Model().RemoveAllFavorates()) {
            return LocalRefusal("cannot clear the favourites");
        }
        Result result;
        result.data["unmarked"] = "all";
        return result.Line("no contact is a favourite any more");
    }
    std::list<std::string> listNames;
    std::string strError;
    const std::vector<std::string> vecNames = args.List("contacts");
    if (vecNames.empty()) {
        return Result::Fail("name the contacts to unmark, or give --all");
    }
    if (!ResolveNames(vecNames, &listNames, &strError)) {
        return Result::Fail(strError);
    }
    if (!Model().RemoveFavorateList(listNames)) {
        return LocalRefusal("cannot unmark " + JoinNames(listNames));
    }
    Result result;
    result.data["unmarked"] = NamesJson(listNames);
    return result.Line("no longer favourites: " + JoinNames(listNames));
}

// ---- search

json SearchPageJson(const LocalSearchAnswer& answer, const std::vector<std::string>& vecFavourites) {
    json contacts = json::array();
    for (const ContactGeneralItemData& data : answer.vecPage) {
        contacts.push_back(ContactJson(data, Contains(vecFavourites, data.m_strDisplayName)));
    }
    return json{{"key", answer.strKey}, {"total", answer.nTotal}, {"contacts", contacts}};
}

void SearchPageLines(const LocalSearchAnswer& answer, const std::vector<std::string>& vecFavourites,
                     int nFrom, Result* pResult) {
    int nNumber = nFrom;
    for (const ContactGeneralItemData& data : answer.vecPage) {
        pResult->Line("  " +
                      ContactLine(++nNumber, data, Contains(vecFavourites, data.m_strDisplayName), true));
    }
}

Result Search(CSession& session, const Args& args) {
    GroupInfo group;
    PageRequest page;
    std::string strError;
    const std::string strKey = args.Text("key");
    if (!FindGroup(args.Text("group"), &group, &strError) || !ReadPage(args, &page, &strError)) {
        return Result::Fail(strError);
    }
    if (strKey.empty()) {
        return Result::Fail(
            "give the letters or keypad digits to search for (on a terminal, \"type\" searches key by "
            "key as you press them)");
    }
    const std::vector<std::string> vecFavourites = FavouriteNames();
    const bool bT9 = CommonAPI_IsSearchByT9(strKey);
    Result result;
    result.data["group"] = group.strName;
    result.data["kind"] = bT9 ? "keypad digits" : "letters";
    result.data["steps"] = json::array();
    const std::vector<std::string> vecKeys =
        args.Flag("steps") ? TypedPrefixes(strKey) : std::vector<std::string>{strKey};
    LocalSearchAnswer answer;
    for (const std::string& strStep : vecKeys) {
        const bool bLast = strStep == vecKeys.back();
        if (!LocalSearcher().SearchAndWait(session, group.nId, strStep, bLast ? page.From() : 0, page.nSize,
                                           &answer, &strError)) {
            return Result::Fail("cannot search for \"" + strStep + "\": " + strError);
        }
        if (!bLast) {
            result.data["steps"].push_back(SearchPageJson(answer, vecFavourites));
            result.Line("\"" + strStep + "\": " + Counted(answer.nTotal, "match"));
            SearchPageLines(answer, vecFavourites, 0, &result);
        }
    }
    result.data["key"] = strKey;
    result.data["total"] = answer.nTotal;
    result.data.update(PageJson(page, answer.nTotal));
    result.data["contacts"] = SearchPageJson(answer, vecFavourites)["contacts"];
    result.Line("\"" + strKey + "\" (" + result.data["kind"].get<std::string>() + ") in " + group.strName +
                ": " + PageSummary(page, answer.nTotal, "match"));
    SearchPageLines(answer, vecFavourites, page.From(), &result);
    return result;
}

// ---- calls

Result Lookup(CSession&, const Args& args) {
    const std::string strNumber = args.Text("number");
    ContactGeneralItemData data;
    const bool bFound = module::GetContactDataByNumber(&data, strNumber);
    const std::string strName = module::GetContactNameByNumber(strNumber);
    const std::string strRing = module::GetContactRingByNumber(strNumber);
    const std::string strPhoto = module::GetContactImageByNumber(strNumber);
    const bool bBlack = module::IsBlackContact(strNumber);
    const std::string strRemote = module::GetRemoteContactNameByNumber(strNumber);
    const std::string strBroadSoft = module::GetBstContactNameByNumber(strNumber);
    Result result;
    result.data = {{"number", strNumber}, {"name", strName},       {"ring", strRing},
                   {"photo", strPhoto},   {"blacklisted", bBlack}, {"remoteName", strRemote}};
    result.data["broadsoftName"] = strBroadSoft;
    result.data["contact"] =
        bFound ? ContactJson(data, Contains(FavouriteNames(), data.m_strDisplayName)) : json();
    result.Line(strNumber + ": " +
                (strName.empty() ? "no local contact" : strName + " (" + data.m_strGroupName + ")"));
    if (bBlack) {
        result.Line("  blacklisted: yes, the phone refuses this caller");
    }
    result.Line("  ring:   " + (strRing.empty() ? "the phone's default ring" : strRing));
    result.Line("  photo:  " + strPhoto);
    result.Line("  remote phonebook: " + (strRemote.empty() ? "no entry" : strRemote));
    result.Line("  network directory: " + (strBroadSoft.empty() ? "no entry" : strBroadSoft));
    return result;
}

Result Dial(CSession&, const Args& args) {
    std::string strNumber = args.Text("target");
    std::string strName;
    ContactGeneralItemData data;
    if (module::GetContactDataByName(&data, strNumber)) {
        strName = data.m_strDisplayName;
        strNumber = !data.m_strMobileNumber.empty()   ? data.m_strMobileNumber
                    : !data.m_strOfficeNumber.empty() ? data.m_strOfficeNumber
                                                      : data.m_strOtherNumber;
    } else {
        strName = module::GetContactNameByNumber(strNumber);
    }
    HostControl::TakeCallOuts();
    if (!Model().CallOut(strNumber, strName, args.Int("line", 0))) {
        return Result::Fail("the phone did not dial \"" + args.Text("target") + "\" (no number to dial)");
    }
    Result result;
    result.data["calls"] = json::array();
    for (const HostControl::CallOutRecord& call : HostControl::TakeCallOuts()) {
        result.data["calls"].push_back(
            {{"number", call.strNumber}, {"name", call.strName}, {"account", call.nAccount}});
        result.Line("dialling " + call.strNumber + (call.strName.empty() ? "" : " (" + call.strName + ")") +
                    " on account " + std::to_string(call.nAccount));
    }
    return result;
}

Result Reload(CSession& session, const Args& args) {
    Result result;
    if (!args.Flag("background")) {
        const bool bOk = module::ReloadConfigureFile();
        result.data["reloaded"] = bOk;
        if (!bOk) {
            return Result::Fail("the local files could not be read again; the phone book keeps what it read");
        }
        return result.Line("read the local files again: " + std::to_string(Model().GetCurrentContactCount()) +
                           " contacts, " + std::to_string(Model().GetCurrentGroupCount()) + " groups");
    }
    if (!Model().ReloadGroupAndItemByHttp()) {
        return Result::Fail("the background reload did not start");
    }
    const CSession::WaitEnd eEnd = session.WaitUntil(
        [] { return !CContactGeneralModel::GetInstance()->IsReloadGroupAndItemByHttp(); }, 30000);
    if (eEnd != CSession::WaitEnd::Done) {
        return Result::Fail("the background reload did not end in time");
    }
    result.data["reloaded"] = true;
    return result.Line("reloaded the local files in the background: " +
                       std::to_string(Model().GetCurrentContactCount()) + " contacts");
}

}  // namespace

void AddLocalCommands(CCommandRegistry& registry) {
    const ParamDef groupOption{"group", ParamKind::Option, ParamType::Text, false, false, "group name"};
    const ParamDef contacts{"contacts", ParamKind::Positional, ParamType::Text, true, true, "contact names"};
    std::vector<ParamDef> pageParams = PageParams();

    registry.Add({"groups", "list the local groups with their contact counts", "groups", {}, Groups});
    registry.Add({"group add",
                  "add a local group",
                  "group add Neighbours --ring Ring2.wav",
                  {{"name", ParamKind::Positional, ParamType::Text, true, false, "group name"},
                   {"ring", ParamKind::Option, ParamType::Text, false, false, "ring of the group"}},
                  GroupAdd});
    registry.Add({"group edit",
                  "rename a local group or change its ring",
                  "group edit Neighbours --name Street",
                  {{"group", ParamKind::Positional, ParamType::Text, true, false, "group name"},
                   {"name", ParamKind::Option, ParamType::Text, false, false, "new name"},
                   {"ring", ParamKind::Option, ParamType::Text, false, false, "new ring"}},
                  GroupEdit});
    registry.Add({"group remove",
                  "remove a local group",
                  "group remove Street",
                  {{"group", ParamKind::Positional, ParamType::Text, true, false, "group name"}},
                  GroupRemove});

    std::vector<ParamDef> contactsParams = {
        {"group", ParamKind::Positional, ParamType::Text, false, false, "group name (default All Contacts)"}};
    contactsParams.insert(contactsParams.end(), pageParams.begin(), pageParams.end());
    registry.Add(
        {"contacts", "a page of a local group", "contacts Family --page 2", contactsParams, Contacts});
    registry.Add({"blacklist", "a page of the blacklist", "blacklist", pageParams, Blacklist});
    registry.Add({"favourites", "a page of the favourites", "favourites", pageParams, Favourites});
    registry.Add({"show",
                  "everything about one contact",
                  "show \"Anna Müller\"",
                  {{"contact", ParamKind::Positional, ParamType::Text, true, false, "contact name"}},
                  Show});

    std::vector<ParamDef> addParams = {
        {"name", ParamKind::Positional, ParamType::Text, true, false, "contact name"}, groupOption};
    std::vector<ParamDef> fields = FieldParams();
    addParams.insert(addParams.end(), fields.begin(), fields.end());
    addParams.push_back(
        {"blacklist", ParamKind::Flag, ParamType::Text, false, false, "add it to the blacklist"});
    addParams.push_back({"favourite", ParamKind::Flag, ParamType::Text, false, false, "mark it a favourite"});
    registry.Add({"add", "add a local contact", "add \"Eva Nowak\" --group Friends --mobile 0170111222",
                  addParams, Add});

    std::vector<ParamDef> editParams = {
        {"contact", ParamKind::Positional, ParamType::Text, true, false, "contact name"},
        {"name", ParamKind::Option, ParamType::Text, false, false, "new name"},
        groupOption};
    editParams.insert(editParams.end(), fields.begin(), fields.end());
    registry.Add({"edit", "change a local contact (only the fields given)",
                  "edit \"Eva Nowak\" --office 0301234", editParams, Edit});
    registry.Add({"remove", "remove local contacts", "remove \"Eva Nowak\"", {contacts}, Remove});
    registry.Add({"move",
                  "move local contacts to a group",
                  "move \"Eva Nowak\" --to Family",
                  {contacts, {"to", ParamKind::Option, ParamType::Text, true, false, "target group"}},
                  Move});
    registry.Add({"block", "move contacts into the blacklist", "block \"Spam Survey\"", {contacts}, Block});
    registry.Add(
        {"unblock", "move contacts out of the blacklist", "unblock \"Spam Survey\"", {contacts}, Unblock});
    registry.Add({"fav", "mark contacts as favourites", "fav \"Eva Nowak\"", {contacts}, Fav});
    registry.Add({"unfav",
                  "unmark favourites (or all of them)",
                  "unfav --all",
                  {{"contacts", ParamKind::Positional, ParamType::Text, false, true, "contact names"},
                   {"all", ParamKind::Flag, ParamType::Text, false, false, "every favourite"}},
                  Unfav});

    std::vector<ParamDef> searchParams = {
        {"key", ParamKind::Positional, ParamType::Text, false, false, "letters, or keypad digits"},
        groupOption};
    searchParams.insert(searchParams.end(), pageParams.begin(), pageParams.end());
    searchParams.push_back(
        {"steps", ParamKind::Flag, ParamType::Text, false, false, "show the page after every key, as typed"});
    registry.Add({"search", "search the local phone book by letters or keypad digits", "search 627 --steps",
                  searchParams, Search});
    CommandDef type{"type",
                    "search key by key as you press the keys (on a terminal)",
                    "type Family",
                    {{"group", ParamKind::Positional, ParamType::Text, false, false, "group name"}},
                    [](CSession&, const Args&) {
                        return Result::Fail("type needs a terminal; in scripts use search KEY --steps");
                    }};
    type.bInteractiveOnly = true;
    registry.Add(type);
    registry.Add({"lookup",
                  "what the phone shows for an incoming number",
                  "lookup 015120000037",
                  {{"number", ParamKind::Positional, ParamType::Text, true, false, "calling number"}},
                  Lookup});
    registry.Add({"dial",
                  "dial a number or a local contact",
                  "dial \"Eva Nowak\"",
                  {{"target", ParamKind::Positional, ParamType::Text, true, false, "number or contact name"},
                   {"line", ParamKind::Option, ParamType::Int, false, false, "account line"}},
                  Dial});
    registry.Add(
        {"reload",
         "read the local files again (as after another program changed them)",
         "reload --background",
         {{"background", ParamKind::Flag, ParamType::Text, false, false, "the phone's background reload"}},
         Reload});
}

}  // namespace dirsim
