#pragma once
// The module's outer face: the Directory_* and TaskAction_* entry points the GUI calls, and the table of
// default icons. Each obtains its model through GetInstance (which creates it on first use) and forwards.
//
// Results in brackets are the fallbacks, answered when the model cannot be had, when memory ran out, or
// when a pointer argument is null: no entry point crashes on a null pointer or throws.
// The ten entry points declared extern "C" are exported under plain names; the others keep their C++
// names. Unloading the library takes down every model still alive and the module's message handlers, so
// the host is never left calling into code that is gone.

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
struct ContactGeneralItemData;
struct ContactGeneralSearchItemListData;
struct ContactGroupListData;
struct DirShortcutListData;

// True exactly when the host says the network is ready.
bool IsNetworkConnected();
// The decimal text of an int.
std::string IntToString(int nValue);
}  // namespace NS_DIRECTORY

// ---- Module life cycle (on the GUI thread, in this order at start)
// Creates the network directory model, then the local phone book (which loads its two files); true when
// the phone book is there.
extern "C" bool Directory_PreLoadConfigureFile();
// Registers the configuration-change handler (65543), then the timer handler (33043). Always true.
extern "C" bool Directory_RegisterMessage();
// Writes the group file, then the contact file; both are attempted, true only when both are up to date.
extern "C" bool Directory_UnInit();
// Reads the group file, then the contact file again; both are attempted, true only when both loaded.
extern "C" bool Directory_ReloadConfigureFile();

// ---- Local phone book
// Groups held, both built-in groups included (-1).
int Directory_GetLocalGroupCount();
// Appends the page of groups without the blacklist (false).
extern "C" bool Directory_GetGroupList(NS_DIRECTORY::ContactGroupListData* pList);
std::string Directory_GetGroupNameByIndex(int nIndex);         // ("")
int Directory_GetGIdByGName(const std::string& strGroupName);  // (-1)
bool Directory_IsBlacklistIndex(int nIndex);                   // (false)
// The contact of that name, ignoring case (false).
bool Directory_GetContactDataByName(NS_DIRECTORY::ContactGeneralItemData* pData, const std::string& strName);
// The first contact, in name order, with exactly this mobile, office or other number (false).
bool Directory_GetContactDataByNumber(NS_DIRECTORY::ContactGeneralItemData* pData, const char* pNumber);
std::string Directory_GetContactNameByNumber(const char* pNumber);                      // ("")
std::string Directory_GetContactRingByNumber(const char* pNumber, const char* pExtra);  // ("")
// The photo of the contact with this number; the default contact image when there is no contact, no
// photo, or no file at the photo's path.
std::string Directory_GetContactImageByNumber(const char* pNumber, const char* pExtra);
// Whether a blacklisted contact carries this number (false).
extern "C" bool Directory_IsBlackContact(const char* pNumber);
// Background search of the group with that display name; the receiver gets the search action back. False
// when any argument is null or the local model cannot be had or refuses.
bool Directory_SearchWithMutlNumberAsync(NS_DIRECTORY::ContactGeneralSearchItemListData* pData,
                                         const char* pGroupName, const char* pKey,
                                         NS_TA::CTaskActionCallbackBase* pReceiver);
// Local phone book background work. The factories answer an action holding one reference, or null; the
// destroys release that reference and ignore null.
NS_DIRECTORY::CContactLocalSaveAction* Directory_CreateLocalSaveAction();
void Directory_DestroyLocalSaveAction(NS_DIRECTORY::CContactLocalSaveAction* pAction);
NS_DIRECTORY::CLocalContactSearchAction* TaskAction_CreateLocalContactSearchAction();
void TaskAction_DestroyLocalContactSearchAction(NS_DIRECTORY::CLocalContactSearchAction* pAction);

// ---- Remote phonebook
// Whether any remote slot has a name or a URL (false).
extern "C" bool Directory_IsRemoteContactConfigured();
// The display name of the remote phonebook ("").
std::string Directory_GetRemoteDisplayName();
// The name of slot nIndex ("").
std::string Directory_GetRemoteGroupName(int nIndex);
// Replaces the list's content with the names of the configured slots; false for a null list or no model.
bool Directory_GetAllConfiguredItemName(std::list<std::string>* pList);
// The name of the remote entry carrying exactly this number, while remote caller lookup is on ("").
std::string Directory_GetRemoteContactNameByNumber(const std::string& strNumber);
// Whole-tree remote searches by name or number (false).
bool Directory_SearchRemoteWithOneNumber(NS_DIRECTORY::RemoteSearchListData* pData);
bool Directory_SearchRemoteWithMultNumber(NS_DIRECTORY::RemoteSearchListData* pData);
// A remote download action holding one reference, or null.
NS_DIRECTORY::CContactRemoteAction* Directory_CreateContactRemoteAction(const std::string& strLocalPath,
                                                                        const std::string& strUrl);
// Releases the reference taken by the factory; null is ignored.
void Directory_DestroyContactRemoteAction(NS_DIRECTORY::CContactRemoteAction* pAction);
// A remote search action holding one reference, or null; the destroy releases it and ignores null.
NS_DIRECTORY::CContactRemoteSearchAction* TaskAction_CreateRemoteContactSearchAction();
void TaskAction_DestroyRemoteContactSearchAction(NS_DIRECTORY::CContactRemoteSearchAction* pAction);

// ---- Network directory
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

// ---- Other directories
// Whether the host's LDAP directory is switched on.
extern "C" bool Directory_IsLdapContactConfigured();
// Whether a remote phonebook, else a network directory, else LDAP is there (asked in that order).
extern "C" bool Directory_IsOtherLocalContactConfigured();
// Directory shortcuts. Appends the page of shortcuts on offer, reading the settings file again (false for a
// null record, a negative begin or count, or when the shortcut list cannot be had).
bool Directory_GetShortcutList(NS_DIRECTORY::DirShortcutListData* pData);

// ---- Default icons (the table is empty when the library is loaded)
// The icon path of a kind, "" when none was set.
std::string Directory_GetDefaultIcon(EDirectoryDefaultIconType eType);
// Inserts or replaces the icon path of a kind.
void Directory_SetDefaultIcon(EDirectoryDefaultIconType eType, const std::string& strPath);
std::string Directory_GetGroupGeneralImage();    // kind 1
std::string Directory_GetContactGeneralImage();  // kind 2
