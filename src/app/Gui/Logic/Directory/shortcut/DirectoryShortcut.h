#pragma once
// The directory shortcut list: which directories the phone's directory screen offers, and in which order,
// from "favorite_setting.xml" filtered by whether each directory is switched on or configured.
//
// The settings file is read again on every GetShortcutList, so an edited file counts at once.
// An "item" without "enable" is disabled; an enabled one without a numeric "priority" has priority 0.
// Lower priorities come first; equal priorities keep their file order. A disabled item is never offered,
// whatever its priority; an enabled one is offered whatever its priority (also 65535).
// "remotedirectory" is offered while a remote phonebook is configured: asking brings the remote model
// into being when it does not exist yet.

#include <list>
#include <memory>
#include <string>
#include <vector>

namespace NS_DIRECTORY {

// One offered shortcut: its id, for example "remotedirectory", "ldap", "broadsoftdirectory".
struct DirShortcutData {
    DirShortcutData() { Reset(); }
    void Reset() { m_strIdName.clear(); }

    std::string m_strIdName;
};

// A request for a page of the shortcut list and its answer. The window [m_nIndexFrom, m_nIndexFrom +
// m_nCountToGet) is taken among the shortcuts on offer, so any page is the right one; m_nTotalCount is
// the number of shortcuts this request appended.
struct DirShortcutListData {
    DirShortcutListData() { Reset(); }
    void Reset() {
        m_listData.clear();
        m_nIndexFrom = 0;
        m_nCountToGet = 0;
        m_nTotalCount = 0;
    }

    std::list<DirShortcutData> m_listData;
    int m_nIndexFrom;
    int m_nCountToGet;
    int m_nTotalCount;
};

class CDirectoryShortcut {
public:
    // One "item" of the settings file.
    struct ItemData {
        std::string m_strIdName;
        std::string m_strDisplayName;
        int m_nPriority = 0;
        bool m_bEnable = false;
    };

    static constexpr int kDisabledPriority = 0xFFFF;

    // Created and loaded on first use; runs on the GUI thread.
    static CDirectoryShortcut* GetInstance();
    static void ReleaseInstance();

    CDirectoryShortcut(const CDirectoryShortcut&) = delete;
    CDirectoryShortcut& operator=(const CDirectoryShortcut&) = delete;

    bool Init();
    void Final();
    // Replaces the entries with those of the file; false (entries unchanged) when the file cannot be read
    // or has no "root_favorite_set".
    bool LoadConfigure();
    // Drops the entries and loads the file again; the entries stay empty when it cannot be read.
    bool ReloadConfigure();
    bool ClearVec();
    // Appends the window of the shortcuts on offer; false for a null record or a negative begin or count.
    bool GetShortcutList(DirShortcutListData* pData);

    // Lower priority first; an entry before a null one.
    static bool CompareVal(const ItemData* pLeft, const ItemData* pRight);

private:
    CDirectoryShortcut() = default;
    ~CDirectoryShortcut() = default;

    static std::string MyFilePath();
    // The shortcuts on offer in list order: enabled, and their directory switched on or configured.
    std::vector<const ItemData*> MyOfferedItems() const;

    std::vector<std::unique_ptr<ItemData>> m_vecItem;

    static CDirectoryShortcut* m_pInst;
};

}  // namespace NS_DIRECTORY
