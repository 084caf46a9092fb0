#pragma once
// Directory entries a parser read one after another, handed to the remote model together: one lock section,
// one look-up of their parent and no copy per batch instead of per entry.

#include <memory>
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
    std::vector<std::unique_ptr<ContactRemoteUnit>> m_vecUnits;
    std::unique_ptr<ContactRemoteUnit> m_pSpare;
};

}  // namespace NS_DIRECTORY
