#pragma once
// Receivers of finished background actions for tests that only need to hand one over, or to count the
// answers; the callbacks run on the GUI loop, so plain counters do.

#include "TaskAction.h"

namespace testsupport {

class NullReceiver : public NS_TA::CTaskActionCallbackBase {
public:
    void OnTaskActionCallback(NS_TA::CTaskAction*) override {}
};

class CountingReceiver : public NS_TA::CTaskActionCallbackBase {
public:
    void OnTaskActionCallback(NS_TA::CTaskAction*) override { ++m_nAnswers; }
    int m_nAnswers = 0;
};

}  // namespace testsupport
