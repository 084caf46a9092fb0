#pragma once
// The type-ahead search of the local phone book as the phone's search screen runs it: every key goes to
// the module's background search, whose answer comes back through the host loop. One searcher serves the
// whole run; an answer for a key the user has typed past is simply replaced by the next one.

#include <string>
#include <vector>

#include "ContactGeneralTypes.h"
#include "TaskAction.h"

namespace dirsim {

class CSession;

struct LocalSearchAnswer {
    std::string strKey;
    int nTotal = 0;
    int nFrom = 0;
    std::vector<NS_DIRECTORY::ContactGeneralItemData> vecPage;
};

class CLocalSearcher : public NS_TA::CTaskActionCallbackBase {
public:
    // Asks for the window of matches of the key in the group; false when the phone book refused.
    bool Start(int nGroupId, const std::string& strKey, int nFrom, int nCount);
    bool HasAnswer() const { return m_bAnswered; }
    LocalSearchAnswer TakeAnswer();
    // Start, then run the loop until the answer for exactly this key came (or a few seconds passed).
    bool SearchAndWait(CSession& session, int nGroupId, const std::string& strKey, int nFrom, int nCount,
                       LocalSearchAnswer* pAnswer, std::string* pError);

    void OnTaskActionCallback(NS_TA::CTaskAction* pAction) override;

private:
    bool m_bAnswered = false;
    LocalSearchAnswer m_answer;
};

CLocalSearcher& LocalSearcher();

// The keys a key grows through as it is typed: one UTF-8 character more each time ("Ж", "Жа", ...).
std::vector<std::string> TypedPrefixes(const std::string& strKey);

}  // namespace dirsim
