#pragma once
// The GUI loop must never wait on the network: its longest turn stays far below any transfer timeout.

namespace testsupport {

constexpr long long kMaxLoopTurnUs = 500 * 1000;

// Prints the longest GUI-loop turn since the last take for that road and case, and fails the test when it
// reached kMaxLoopTurnUs.
void ExpectGuiLoopNotBlocked(const char* pRoad, const char* pCase);

}  // namespace testsupport
