#pragma once
// Directory entries a parser read one after another, handed to the remote model together: one lock section,
// one look-up of their parent and no allocation of their own per batch instead of per entry (the model moves
// each entry into its tree node).

#include <cstddef>
#include <string>
#include <vector>

#include "ContactRemoteItem.h"

namespace NS_DIRECTORY {

class CContactRemoteModel;

class CRemoteUnitBatch {
public:
    CRemoteUnitBatch(CContactRemoteModel* pModel, const std::string& strParentUrl);
    CRemoteUnitBatch(const CRemoteUnitBatch&) = delete;
    CRemoteUnitBatch& operator=(const CRemoteUnitBatch&) = delete;

    // An empty entry to parse into; the next call hands out the same one again unless Keep() took it.
    ContactRemoteUnit* Next();
    // Adds the entry of the last Next() to the batch, which goes to the model once it is full.
    void Keep();
    // Hands the entries gathered so far to the model. Call it before anything else is added under the same
    // parent, so the children keep document order.
    void Flush();

private:
    static constexpr std::size_t kBatchSize = 256;

    CContactRemoteModel* m_pModel;
    const std::string& m_strParentUrl;
    // The first m_nKept are the batch; the one after them, when there, is the entry being parsed.
    std::vector<ContactRemoteUnit> m_vecUnits;
    std::size_t m_nKept = 0;
};

}  // namespace NS_DIRECTORY
