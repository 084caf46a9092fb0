// Contact import: contacts admitted one by one with the insertion rules, filed in name order per batch.

#include <strings.h>

#include <algorithm>
#include <cctype>

#include "ContactGeneralModel.h"

namespace NS_DIRECTORY {

namespace {

// The name as strcasecmp sees it: up to the first NUL, each byte through tolower. Two names compare equal
// under strcasecmp exactly when their folded forms are equal.
std::string FoldedName(const std::string& strName) {
    std::string strFolded(strName.c_str());
    for (char& c : strFolded) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return strFolded;
}

bool ComesBeforeByName(const std::unique_ptr<CContactGeneralModel::ItemData>& pA,
                       const std::unique_ptr<CContactGeneralModel::ItemData>& pB) {
    return CContactGeneralModel::CompareItem(*pA, *pB);
}

}  // namespace

bool CContactGeneralModel::MyImportContact(const ItemData& item) {
    return MyNoThrow(false, [&]() -> bool {
        // A file's name may hold nothing but characters the files cannot carry, and be empty once cleaned.
        if (item.m_strDisplayName.empty()) {
            return MyRefuse(CONTACT_RESULT_MISSING_ARGUMENT);
        }
        if (m_bImportBatch) {
            return MyCheckRoomFor(item.m_nGroupId) && MyAdmitToImportBatch(item);
        }
        size_t nSlot = 0;
        if (!MyCheckRoomFor(item.m_nGroupId) || !MyFindContactSlot(item.m_strDisplayName, &nSlot)) {
            return false;
        }
        MyAdmitContact(nSlot, std::make_unique<ItemData>(item));
        return true;
    });
}

bool CContactGeneralModel::MyIsNameInSortedHead(const std::string& strName) const {
    const auto head = m_listItem.begin() + static_cast<std::ptrdiff_t>(m_nImportSorted);
    const auto found =
        std::lower_bound(m_listItem.begin(), head, strName,
                         [](const std::unique_ptr<ItemData>& pItem, const std::string& strKey) {
                             return strcasecmp(pItem->m_strDisplayName.c_str(), strKey.c_str()) < 0;
                         });
    return found != head && strcasecmp((*found)->m_strDisplayName.c_str(), strName.c_str()) == 0;
}

bool CContactGeneralModel::MyAdmitToImportBatch(const ItemData& item) {
    if (MyIsNameInSortedHead(item.m_strDisplayName)) {
        return MyRefuse(CONTACT_RESULT_NAME_EXISTS);
    }
    const auto taken = m_setImportNames.insert(FoldedName(item.m_strDisplayName));
    if (!taken.second) {
        return MyRefuse(CONTACT_RESULT_NAME_EXISTS);
    }
    const size_t nHeld = m_listItem.size();
    try {
        MyAdmitContact(nHeld, std::make_unique<ItemData>(item));
    } catch (...) {
        if (m_listItem.size() == nHeld) {
            m_setImportNames.erase(taken.first);
        }
        throw;
    }
    return true;
}

void CContactGeneralModel::MyBeginImportBatch() {
    MyEndImportBatch();
    m_bImportBatch = true;
    m_nImportSorted = m_listItem.size();
}

// Sorting and merging move only pointers and ask for no memory they cannot do without (the merge falls
// back to working in place), so the list always comes back whole and in order.
void CContactGeneralModel::MyEndImportBatch() {
    if (!m_bImportBatch) {
        return;
    }
    const auto tail =
        m_listItem.begin() + static_cast<std::ptrdiff_t>(std::min(m_nImportSorted, m_listItem.size()));
    std::sort(tail, m_listItem.end(), ComesBeforeByName);
    std::inplace_merge(m_listItem.begin(), tail, m_listItem.end(), ComesBeforeByName);
    // Swapped out rather than cleared, so that its buckets go too: nothing is held between imports.
    std::unordered_set<std::string>().swap(m_setImportNames);
    m_bImportBatch = false;
    m_nImportSorted = 0;
}

}  // namespace NS_DIRECTORY
