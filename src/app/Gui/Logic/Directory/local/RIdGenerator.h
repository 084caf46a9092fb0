#pragma once
// Source of new local group ids: each GenId() is one above the previous id or the beginning set.

#include <climits>

namespace NS_DIRECTORY {

class CRIdGenerator {
public:
    void SetBegin(int nBegin) { m_nCurrentId = nBegin; }
    // -1 once the ids are used up (the beginning was the largest int).
    int GenId() { return m_nCurrentId == INT_MAX ? -1 : ++m_nCurrentId; }

private:
    int m_nCurrentId = -1;
};

}  // namespace NS_DIRECTORY
