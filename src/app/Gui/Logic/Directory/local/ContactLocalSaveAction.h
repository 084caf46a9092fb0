#pragma once
// Background load or save of both local files (request type 10). The action reads into and writes from
// lists of its own and never touches the model; the model swaps the lists in when the action comes back.
// Loading keeps a file's contacts as they are (two names that differ only in case both stay) but drops
// empty names, names met before, groups without a usable id and user groups that carry a built-in name.

#include <functional>
#include <string>
#include <vector>

#include "ContactGeneralModel.h"
#include "TaskAction.h"

namespace NS_DIRECTORY {

class CContactFileFormat;

class CContactLocalSaveAction : public NS_TA::CTaskAction {
public:
    using ItemValueList = std::vector<CContactGeneralModel::ItemData>;
    using GroupValueList = std::vector<CContactGeneralModel::GroupData>;

    CContactLocalSaveAction();

    // Load() when the read flag is set, else Save().
    bool Exec() override;
    // Error 0 when both files loaded; 45 when a root element is missing, 43 when a file cannot be read.
    bool Load();
    bool LoadGroup();
    bool LoadItem();
    // Writes the lists of the files that take part; error 40 when a file could not be written.
    bool Save();
    bool SaveGroup();
    bool SaveItem();

    void SetGroupFilePath(const std::string& strPath);
    void SetItemFilePath(const std::string& strPath);
    void SetGroupDirty(bool bDirty) { m_bGroupDirty = bDirty; }
    bool IsGroupDirty() const { return m_bGroupDirty; }
    void SetItemDirty(bool bDirty) { m_bItemDirty = bDirty; }
    bool IsItemDirty() const { return m_bItemDirty; }
    GroupValueList& GetGroupList() { return m_listGroup; }
    ItemValueList& GetItemList() { return m_listItem; }
    void SetGroupList(const GroupValueList& listGroup) { m_listGroup = listGroup; }
    void SetItemList(const ItemValueList& listItem) { m_listItem = listItem; }

protected:
    ~CContactLocalSaveAction() override = default;

private:
    bool MyReadGroups(const std::string& strPath);
    bool MyReadItems(const std::string& strPath);
    // Runs one file's write; error 40 when the file cannot be built or written.
    bool MyWriteFile(const std::function<bool(CContactFileFormat&)>& write);

    ItemValueList m_listItem;
    GroupValueList m_listGroup;
    std::string m_strGroupFilePath;
    std::string m_strItemFilePath;
    bool m_bGroupDirty = false;
    bool m_bItemDirty = false;
};

}  // namespace NS_DIRECTORY
