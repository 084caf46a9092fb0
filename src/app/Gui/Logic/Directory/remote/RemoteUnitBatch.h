#pragma once
// Directory entries a parser read one after another, handed to the remote model together: one lock section,
// one look-up of their parent and no allocation of their own per batch instead of per entry. An entry is
// kept as views of the document's text until the model makes it in its tree node, so the document must
// outlive every Flush().

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "ContactRemoteItem.h"

namespace NS_DIRECTORY {

class CContactRemoteModel;

// A directory entry as the document gives it: its name, and its numbers as a run of the batch's numbers.
struct RemoteUnitText {
    std::string_view name;
    std::size_t nFirstNumber = 0;
    std::size_t nNumbers = 0;
};

class CRemoteUnitBatch {
public:
    CRemoteUnitBatch(CContactRemoteModel* pModel, const std::string& strParentUrl);
    CRemoteUnitBatch(const CRemoteUnitBatch&) = delete;
    CRemoteUnitBatch& operator=(const CRemoteUnitBatch&) = delete;

    // Starts an empty entry to parse into, dropping one started but not kept.
    void Start();
    void SetName(std::string_view name);
    void AddNumber(std::string_view number);
    // The started entry as the model would make it (empty when none is started).
    ContactRemoteUnit MakeStarted() const;
    // Adds the started entry to the batch, which goes to the model once it is full.
    void Keep();
    // Hands the entries kept so far to the model. Call it before anything else is added under the same
    // parent, so the children keep document order.
    void Flush();

private:
    static constexpr std::size_t kBatchSize = 256;
    // Room for numbers kept from the start: an entry mostly has one to three.
    static constexpr std::size_t kNumbersPerUnit = 3;

    void MyDropStarted();
    void MyClear();

    CContactRemoteModel* m_pModel;
    const std::string& m_strParentUrl;
    // The kept entries, then the started one while m_bStarted.
    std::vector<RemoteUnitText> m_vecUnits;
    std::vector<std::string_view> m_vecNumbers;
    bool m_bStarted = false;
};

}  // namespace NS_DIRECTORY
