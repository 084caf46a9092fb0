#pragma once
// The module's entry points as dirsim calls them, one function each. Import and export of a named file have
// no entry point (the phone asks for them by configuration message, always with the default file): the
// module's import and export run directly, which is why dirsim links the module's static twin.

#include <list>
#include <string>

#include "ContactGeneralTypes.h"
#include "DirectoryShortcut.h"

namespace dirsim::module {

// ---- life cycle, in the order a phone uses them
bool PreLoadConfigureFile();
bool RegisterMessage();
bool UnInit();
// What the host does after UnInit: releases every singleton of the module.
void ReleaseInstances();
bool ReloadConfigureFile();

// ---- local phone book
int GetLocalGroupCount();
bool GetGroupList(NS_DIRECTORY::ContactGroupListData* pList);
int GetGIdByGName(const std::string& strName);
bool GetContactDataByName(NS_DIRECTORY::ContactGeneralItemData* pData, const std::string& strName);
bool GetContactDataByNumber(NS_DIRECTORY::ContactGeneralItemData* pData, const std::string& strNumber);
std::string GetContactNameByNumber(const std::string& strNumber);
std::string GetContactRingByNumber(const std::string& strNumber);
// The photo for the number; the default contact image when there is none or its file is missing.
std::string GetContactImageByNumber(const std::string& strNumber);
bool IsBlackContact(const std::string& strNumber);

// ---- remote phonebook
bool IsRemoteContactConfigured();
std::string GetRemoteDisplayName();
bool GetAllConfiguredItemName(std::list<std::string>* pList);
std::string GetRemoteContactNameByNumber(const std::string& strNumber);

// ---- network directory
bool IsBroadSoftContactConfigured();
std::string GetBstContactNameByNumber(const std::string& strNumber);

// ---- directory shortcuts
bool GetShortcutList(NS_DIRECTORY::DirShortcutListData* pData);

// ---- contact files, as the phone's configuration messages ask for them (the file is in place already)
enum class ImportMode { Replace, Append, ReplaceAfterLimitCheck };
int ImportContacts(const std::string& strPhonePath, ImportMode eMode);
int ExportContacts(const std::string& strPhonePath);

}  // namespace dirsim::module
