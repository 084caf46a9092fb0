#include "LoopTurn.h"

#include <iostream>

#include <gtest/gtest.h>

#include "HostControl.h"

namespace testsupport {

void ExpectGuiLoopNotBlocked(const char* pRoad, const char* pCase) {
    const long long nUs = HostControl::TakeLongestLoopTurnUs();
    std::cout << "[ hostile  ] " << pRoad << " " << pCase << ": longest GUI-loop turn " << nUs / 1000.0
              << " ms\n";
    EXPECT_LT(nUs, kMaxLoopTurnUs) << "the GUI loop was blocked";
}

}  // namespace testsupport
