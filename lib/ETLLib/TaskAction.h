#pragma once
// Background jobs of the host: reference-counted task actions, the executor that runs them on worker
// threads, and the callback that brings each finished action back to the GUI thread.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

namespace NS_TA {

enum TaskActionRequestType : int {
    TA_REQUEST_NONE = 0,
    TA_REQUEST_NETWORK_FILE = 2,
    TA_REQUEST_LOCAL_CONTACT_SEARCH = 5,
    TA_REQUEST_REMOTE_CONTACT_SEARCH = 8,
    TA_REQUEST_LOCAL_CONTACT_SAVE = 10,
    TA_REQUEST_REMOTE_CONTACT_DOWNLOAD = 12,
};

// 0 is success. Values from 1000 up are the host's own network failures.
enum TaskActionErrorType : int {
    TA_NO_ERROR = 0,
    TA_NO_WORKING_OBJECT = 40,
    TA_FILE_LOAD_FAILED = 43,
    TA_ROOT_ELEMENT_MISSING = 45,
    TA_WRITE_UNSUPPORTED = 46,
    TA_SEARCH_FAILED = 70,
    TA_DOWNLOAD_NOT_PARSED = 80,
    TA_HTTP_AUTH_REFUSED = 401,
    TA_NETWORK_CONNECT_FAILED = 1001,  // name lookup, connection or TLS failure
    TA_HTTP_STATUS_ERROR = 1002,       // the server answered with a status of 400 or above (other than 401)
    TA_NETWORK_TIMEOUT = 1003,         // connect, total or low-speed timeout
    TA_FILE_TOO_LARGE = 1004,          // the body passed the host's download cap
    TA_LOCAL_FILE_ERROR = 1005,        // the local file could not be read or written, or a body kept in
                                       // memory found no room
    TA_URL_REFUSED = 1006,             // empty URL or a scheme other than http and https
    TA_NETWORK_OTHER_ERROR = 1099,
};

class CTaskActionCallbackBase;

// Reference-counted base. A new object holds no reference; the first Release() that brings the count back
// to zero deletes it (as does a Release() on an object that never got a reference).
class chObject {
public:
    chObject() = default;
    chObject(const chObject&) = delete;
    chObject& operator=(const chObject&) = delete;

    void AddRef();
    void Release();
    int GetRefCount() const { return m_nRefCount.load(); }
    // Marks an object made by a module factory; informational only.
    void SetCreatFlag(bool bCreat) { m_bCreat = bCreat; }
    bool GetCreatFlag() const { return m_bCreat; }

protected:
    virtual ~chObject() = default;

private:
    std::atomic<int> m_nRefCount{0};
    std::atomic<bool> m_bCreat{false};
};

// One background job. Exec() runs on a worker thread (or on the caller's thread when the sync flag is set);
// the callback receiver gets the action back on the GUI thread.
class CTaskAction : public chObject {
public:
    explicit CTaskAction(TaskActionRequestType eType) : m_eRequestType(eType) {}

    virtual bool Exec() = 0;

    TaskActionRequestType GetRequestType() const { return m_eRequestType; }
    TaskActionErrorType GetTaskActionErrorType() const { return m_eErrorType.load(); }
    void SetTaskActionErrorType(TaskActionErrorType eType) { m_eErrorType = eType; }
    bool IsOperationSucceed() const { return m_eErrorType.load() == TA_NO_ERROR; }

    void SetRead(bool bRead) { m_bRead = bRead; }
    bool IsRead() const { return m_bRead; }
    // Sync: Exec() runs inside TaskAction_ExecAction on the calling thread; the callback is still posted
    // to the GUI thread's queue, never called from inside TaskAction_ExecAction.
    void SetSync(bool bSync) { m_bSync = bSync; }
    bool IsSync() const { return m_bSync; }

    // The receiver must outlive the action or be destroyed first: a destroyed receiver gets no callback.
    void SetCallback(CTaskActionCallbackBase* pCallback);
    CTaskActionCallbackBase* GetCallback() const { return m_pCallback; }
    std::uint64_t GetCallbackSerial() const { return m_nCallbackSerial; }

protected:
    ~CTaskAction() override = default;

private:
    const TaskActionRequestType m_eRequestType;
    std::atomic<TaskActionErrorType> m_eErrorType{TA_NO_ERROR};
    std::atomic<bool> m_bRead{true};
    std::atomic<bool> m_bSync{false};
    CTaskActionCallbackBase* m_pCallback = nullptr;
    std::uint64_t m_nCallbackSerial = 0;
};

// An action about one local file.
class CFileAction : public CTaskAction {
public:
    CFileAction(TaskActionRequestType eType, const std::string& strLocalPath)
        : CTaskAction(eType), m_strFilePath(strLocalPath) {}

    const std::string& GetFilePath() const { return m_strFilePath; }
    // Content the action produced or consumed in memory; empty unless an action fills it.
    const std::string& GetFileContent() const { return m_strFileContent; }
    void SetFileContent(const std::string& strContent) { m_strFileContent = strContent; }
    void SetFileContent(std::string&& strContent) { m_strFileContent = std::move(strContent); }
    // Hands the content over to the caller; the action is left with none.
    std::string TakeFileContent() { return std::move(m_strFileContent); }

protected:
    ~CFileAction() override = default;

private:
    std::string m_strFilePath;
    std::string m_strFileContent;
};

// HTTP transfer of one file. Read set: download the URL into the local file (replaced only when the
// download succeeded). Read clear: POST the local file to the URL, or send DELETE when the delete flag is
// set. Credentials are never logged.
class CNetworkFileAction : public CFileAction {
public:
    CNetworkFileAction(const std::string& strLocalPath, const std::string& strRemoteUrl)
        : CNetworkFileAction(TA_REQUEST_NETWORK_FILE, strLocalPath, strRemoteUrl) {}

    bool Exec() override;
    virtual bool Read();
    virtual bool Write();

    const std::string& GetFilePathRemote() const { return m_strRemoteUrl; }
    void SetUsername(const std::string& strUser) { m_strUsername = strUser; }
    void SetPassword(const std::string& strPassword) { m_strPassword = strPassword; }
    void SetDelete(bool bDelete) { m_bDelete = bDelete; }
    bool IsDelete() const { return m_bDelete; }
    void SetSendMess2UI(bool bSend) { m_bSendMess2UI = bSend; }
    bool IsSendMess2UI() const { return m_bSendMess2UI; }
    void SetExtraParam(int nParam) { m_nExtraParam = nParam; }
    int GetExtraParam() const { return m_nExtraParam; }
    // HTTP status of the last answer, 0 when none arrived.
    long GetHttpStatus() const { return m_nHttpStatus.load(); }
    // Set before the action runs: a download keeps its body in the action's file content instead of
    // writing the local file, which is never created. Cap, timeouts, refusals and error types are those of a
    // file download; only a download that succeeded holds a body, owned by the action until TakeFileContent.
    void SetKeepBodyInMemory(bool bKeep) { m_bKeepBodyInMemory = bKeep; }
    bool IsKeepBodyInMemory() const { return m_bKeepBodyInMemory; }

protected:
    // For module actions of another request type that transfer a file the same way.
    CNetworkFileAction(TaskActionRequestType eType, const std::string& strLocalPath,
                       const std::string& strRemoteUrl)
        : CFileAction(eType, strLocalPath), m_strRemoteUrl(strRemoteUrl) {}
    ~CNetworkFileAction() override = default;

private:
    std::string m_strRemoteUrl;
    std::string m_strUsername;
    std::string m_strPassword;
    bool m_bDelete = false;
    bool m_bSendMess2UI = false;
    int m_nExtraParam = 0;
    bool m_bKeepBodyInMemory = false;
    std::atomic<long> m_nHttpStatus{0};

    friend class CTransfer;
};

// Base of every receiver of finished actions. Destroying a receiver cancels the callbacks still owed to it.
class CTaskActionCallbackBase {
public:
    CTaskActionCallbackBase();
    CTaskActionCallbackBase(const CTaskActionCallbackBase&) = delete;
    CTaskActionCallbackBase& operator=(const CTaskActionCallbackBase&) = delete;
    virtual ~CTaskActionCallbackBase();

    // Asked on the GUI thread before each callback; false postpones the callback to a later loop turn (the
    // loop asks again about every millisecond). Receivers are destroyed on the GUI thread.
    virtual bool TryThreadMessage() { return true; }
    virtual void OnTaskActionCallback(CTaskAction* pTaskAction) = 0;

    std::uint64_t GetCallbackSerial() const { return m_nSerial; }

private:
    std::uint64_t m_nSerial;
};

}  // namespace NS_TA

// A new network file action holding one reference, or null for an empty URL.
NS_TA::CNetworkFileAction* TaskAction_CreateNetworkFileAction(const std::string& strLocalPath,
                                                              const std::string& strRemoteUrl);
// Releases the reference taken by TaskAction_CreateNetworkFileAction; null is ignored.
void TaskAction_DestroyNetworkFileAction(NS_TA::CNetworkFileAction* pAction);
// Hands an action to the executor, which holds its own reference until the callback has run.
// False (the action never runs) for null, or while the executor refuses work. Four worker threads run the
// actions; with 4096 actions waiting, more are refused. An Exec that throws ends with error 1099.
bool TaskAction_ExecAction(NS_TA::CTaskAction* pAction);
// Like TaskAction_ExecAction, but when pEarlier is waiting or running and has no follow-up yet, pAction
// becomes its follow-up: the worker that runs pEarlier runs pAction right after it, so the two never run at
// once and pAction needs no free worker. Otherwise pAction is queued as by TaskAction_ExecAction.
// Optional, like the two below: referenced weakly, so a host may leave them out; ask through the
// NS_TA::Try... forms, which on such a host queue every action and know of no follow-ups.
__attribute__((weak)) bool TaskAction_ExecAfter(NS_TA::CTaskAction* pAction, NS_TA::CTaskAction* pEarlier);
// Whether the action is waiting, running or a follow-up; it may finish at any moment after the answer.
__attribute__((weak)) bool TaskAction_IsPending(const NS_TA::CTaskAction* pAction);
// Takes back the follow-up of pEarlier when it has not started: it never runs and the executor's reference
// on it is dropped. False when there was none.
__attribute__((weak)) bool TaskAction_CancelFollowUp(NS_TA::CTaskAction* pEarlier);
namespace NS_TA {
inline bool TryExecAfter(CTaskAction* pAction, CTaskAction* pEarlier) {
    return &TaskAction_ExecAfter != nullptr ? TaskAction_ExecAfter(pAction, pEarlier)
                                            : TaskAction_ExecAction(pAction);
}
inline bool TryIsPending(const CTaskAction* pAction) {
    return &TaskAction_IsPending != nullptr && TaskAction_IsPending(pAction);
}
inline bool TryCancelFollowUp(CTaskAction* pEarlier) {
    return &TaskAction_CancelFollowUp != nullptr && TaskAction_CancelFollowUp(pEarlier);
}
}  // namespace NS_TA
// Whether the receiver that had this serial (GetCallbackSerial) still exists; for modules that pass a
// finished action on to a receiver of their own caller.
bool TaskAction_IsReceiverAlive(const NS_TA::CTaskActionCallbackBase* pReceiver, std::uint64_t nSerial);

// Host hook run first on each finished network file action the BroadSoft directory receives.
class CBaseHelper {
public:
    // Counts the finished transfers it saw; true for a non-null action.
    static bool ProcessCallback(NS_TA::CTaskAction* pAction);
};
