#pragma once
// The module's outer face: the Directory_* entry points the GUI calls, the message handlers the module
// registers on the host bus, and the table of default icons.

#include <list>
#include <string>

// Kinds of default icon: 0 the icon on every entry of a local contact page, 1 the generic group image,
// 2 the generic contact image.
enum EDirectoryDefaultIconType : int {
    DDIT_LOCAL_CONTACT_ITEM = 0,
    DDIT_GROUP_GENERAL = 1,
    DDIT_CONTACT_GENERAL = 2,
};

namespace NS_TA {
class CTaskActionCallbackBase;
}

namespace NS_DIRECTORY {
class CContactLocalSaveAction;
class CContactRemoteAction;
class CContactRemoteSearchAction;
struct RemoteSearchListData;
class CLocalContactSearchAction;
struct ContactGeneralSearchItemListData;
struct DirShortcutListData;

// True exactly when the host says the network is ready.
bool IsNetworkConnected();
// The decimal text of an int.
std::string IntToString(int nValue);
}  // namespace NS_DIRECTORY

// The icon path of a kind, "" when none was set.
std::string Directory_GetDefaultIcon(EDirectoryDefaultIconType eType);
// Inserts or replaces the icon path of a kind.
void Directory_SetDefaultIcon(EDirectoryDefaultIconType eType, const std::string& strPath);
std::string Directory_GetGroupGeneralImage();
std::string Directory_GetContactGeneralImage();

// Remote phonebook. The results in brackets are those given when the remote model cannot be had.
// Whether any remote slot has a name or a URL (false).
extern "C" bool Directory_IsRemoteContactConfigured();
// The display name of the remote phonebook ("").
std::string Directory_GetRemoteDisplayName();
// The name of slot nIndex ("").
std::string Directory_GetRemoteGroupName(int nIndex);
// Replaces the list's content with the names of the configured slots; false for a null list or no model.
bool Directory_GetAllConfiguredItemName(std::list<std::string>* pList);
// A remote download action holding one reference, or null.
NS_DIRECTORY::CContactRemoteAction* Directory_CreateContactRemoteAction(const std::string& strLocalPath,
                                                                        const std::string& strUrl);
// Releases the reference taken by the factory; null is ignored.
void Directory_DestroyContactRemoteAction(NS_DIRECTORY::CContactRemoteAction* pAction);

// Network directory. The results in brackets are those given when the model cannot be had.
// Whether a directory other than the combined list is configured (false).
extern "C" bool Directory_IsBroadSoftContactConfigured();
// Whether the click action names the Personal directory, which may be edited (false).
bool Directory_IsBroadSoftPersonal(const std::string& strClickAction);
// The network directory's display name ("").
std::string Directory_GetBroadSoftDisplayName();
// The name of the directory at table index nIndex ("").
std::string Directory_GetBroadSoftGroupName(int nIndex);
// The name of the nIndex-th named directory of the table, counting from 0 ("").
std::string Directory_GetBroadSoftConfiguredItemNameInConfigured(int nIndex);
// The name of the caller with this number in the network directory ("").
std::string Directory_GetBstContactNameByNumber(const std::string& strNumber);

// Local phone book background work. The factories answer an action holding one reference, or null; the
// destroys release that reference and ignore null.
NS_DIRECTORY::CContactLocalSaveAction* Directory_CreateLocalSaveAction();
void Directory_DestroyLocalSaveAction(NS_DIRECTORY::CContactLocalSaveAction* pAction);
NS_DIRECTORY::CLocalContactSearchAction* TaskAction_CreateLocalContactSearchAction();
void TaskAction_DestroyLocalContactSearchAction(NS_DIRECTORY::CLocalContactSearchAction* pAction);
// Background search of the group with that display name; the receiver gets the search action back. False
// when any argument is null or the local model cannot be had or refuses.
bool Directory_SearchWithMutlNumberAsync(NS_DIRECTORY::ContactGeneralSearchItemListData* pData,
                                         const char* pGroupName, const char* pKey,
                                         NS_TA::CTaskActionCallbackBase* pReceiver);

// Remote phonebook search. The name of the remote entry carrying exactly this number, while remote caller
// lookup is on ("").
std::string Directory_GetRemoteContactNameByNumber(const std::string& strNumber);
// Whole-tree remote searches by name or number (false).
bool Directory_SearchRemoteWithOneNumber(NS_DIRECTORY::RemoteSearchListData* pData);
bool Directory_SearchRemoteWithMultNumber(NS_DIRECTORY::RemoteSearchListData* pData);
// A remote search action holding one reference, or null; the destroy releases it and ignores null.
NS_DIRECTORY::CContactRemoteSearchAction* TaskAction_CreateRemoteContactSearchAction();
void TaskAction_DestroyRemoteContactSearchAction(NS_DIRECTORY::CContactRemoteSearchAction* pAction);

// Directory shortcuts. Appends the page of shortcuts on offer, reading the settings file again (false for a
// null record, a negative begin or count, or when the shortcut list cannot be had).
bool Directory_GetShortcutList(NS_DIRECTORY::DirShortcutListData* pData);
