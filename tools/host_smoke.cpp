// Smoke run of the reference host: root folder, loop, a timer, a message, a task action and the directory
// module's default icon table. Prints one line per step; exits 0 when every step worked.
//
//   host_smoke [root-dir]     (default: a fresh folder under the system temp folder, removed at the end)

#include <stdlib.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "DirectoryEntry.h"
#include "HostControl.h"
#include "MsgQueue.h"
#include "TaskAction.h"

namespace {

constexpr int kSmokeTimerId = 4242;
constexpr int kSmokeMessage = 50001;

int g_nTimerExpiries = 0;
int g_nSmokeMessages = 0;

int OnSmokeMessage(ETL_MsgQueueHelper::msgObject& msg) {
    if (msg.message == TM_TIMER && msg.wParam == kSmokeTimerId) {
        ++g_nTimerExpiries;
        timerKillThreadTimer(kSmokeTimerId);
    } else if (msg.message == kSmokeMessage) {
        ++g_nSmokeMessages;
    }
    return 0;
}

class CSquareAction : public NS_TA::CTaskAction {
public:
    explicit CSquareAction(int nInput) : CTaskAction(NS_TA::TA_REQUEST_NONE), m_nInput(nInput) {}
    bool Exec() override {
        m_nResult = m_nInput * m_nInput;
        m_bOffGuiThread = std::this_thread::get_id() != m_guiThread;
        return true;
    }
    int Result() const { return m_nResult; }
    bool RanOffGuiThread() const { return m_bOffGuiThread; }

private:
    int m_nInput;
    std::atomic<int> m_nResult{0};
    std::atomic<bool> m_bOffGuiThread{false};
    const std::thread::id m_guiThread = std::this_thread::get_id();
};

class CSmokeReceiver : public NS_TA::CTaskActionCallbackBase {
public:
    void OnTaskActionCallback(NS_TA::CTaskAction* pAction) override {
        auto* pSquare = static_cast<CSquareAction*>(pAction);
        m_nResult = pSquare->Result();
        m_bOffGuiThread = pSquare->RanOffGuiThread();
    }
    int m_nResult = 0;
    bool m_bOffGuiThread = false;
};

bool Report(bool bOk, const std::string& strWhat) {
    std::printf("%s %s\n", bOk ? "ok  " : "FAIL", strWhat.c_str());
    return bOk;
}

std::string MakeTempRoot() {
    std::string strPattern = (std::filesystem::temp_directory_path() / "host_smoke.XXXXXX").string();
    return mkdtemp(strPattern.data()) != nullptr ? strPattern : std::string();
}

bool SetUpRoot(const std::string& strRoot) {
    HostControl::Reset();
    HostControl::SetRootDir(strRoot);
    const bool bOk = !strRoot.empty() && std::filesystem::is_directory(HostControl::MapPath("/config/data"));
    return Report(bOk, "root directory " + strRoot);
}

bool RunTimer() {
    EtlMsgHandler_RegisterMsgHandle(TM_TIMER, TM_TIMER, OnSmokeMessage);
    timerSetThreadTimer(kSmokeTimerId, 20);
    HostControl::RunFor(200);
    return Report(g_nTimerExpiries == 1, "timer " + std::to_string(kSmokeTimerId) + " fired " +
                                             std::to_string(g_nTimerExpiries) + " time(s) in the loop");
}

bool RunMessage() {
    EtlMsgHandler_RegisterMsgHandle(kSmokeMessage, kSmokeMessage, OnSmokeMessage);
    HostControl::PostMessage(kSmokeMessage, 1, 2);
    const bool bIdle = HostControl::RunUntilIdle(1000);
    return Report(bIdle && g_nSmokeMessages == 1, "posted message " + std::to_string(kSmokeMessage) + " delivered");
}

bool RunTaskAction() {
    CSmokeReceiver receiver;
    auto* pAction = new CSquareAction(7);
    pAction->AddRef();
    pAction->SetCallback(&receiver);
    const bool bAccepted = TaskAction_ExecAction(pAction);
    const bool bIdle = HostControl::RunUntilIdle(5000);
    pAction->Release();
    return Report(bAccepted && bIdle && receiver.m_nResult == 49 && receiver.m_bOffGuiThread,
                  "task action ran on a worker and called back with " + std::to_string(receiver.m_nResult));
}

bool RunDefaultIcon() {
    const std::string strIcon = "/phone/resource/photo/default_contact.png";
    Directory_SetDefaultIcon(DDIT_CONTACT_GENERAL, strIcon);
    return Report(Directory_GetDefaultIcon(DDIT_CONTACT_GENERAL) == strIcon &&
                      Directory_GetContactGeneralImage() == strIcon,
                  "directory default contact icon " + strIcon);
}

}  // namespace

int main(int argc, char** argv) {
    const bool bOwnRoot = argc <= 1;
    const std::string strRoot = bOwnRoot ? MakeTempRoot() : std::string(argv[1]);
    bool bOk = SetUpRoot(strRoot);
    bOk = RunTimer() && bOk;
    bOk = RunMessage() && bOk;
    bOk = RunTaskAction() && bOk;
    bOk = RunDefaultIcon() && bOk;
    HostControl::Reset();
    HostControl::SetRootDir("");
    if (bOwnRoot && !strRoot.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(strRoot, ec);
    }
    std::printf("%s\n", bOk ? "host smoke passed" : "host smoke FAILED");
    return bOk ? 0 : 1;
}
