// A host that loads the directory module with dlopen, uses every directory through the entry points it
// finds by plain name and through the message bus, unloads it with dlclose and loads it again, a few times.
// After each unload the host's bus and timers must hold nothing of the module: a message or a timer
// expiry then would call into code that is gone. Run by the entry tests (under the sanitizers of the
// build, which check for leaks at exit).
//
//   entry_reload_child <path of libDirectory.so>    exit status 0 when every check passed

#include <dlfcn.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ConfigParser.h"
#include "HostControl.h"
#include "LoopbackHttpServer.h"
#include "MockXsiServer.h"
#include "RemoteDocBuilder.h"
#include "TempRoot.h"
#include "XsiAccount.h"

namespace {

constexpr int kConfigChanged = 65543;
constexpr int kTimer = 33043;
constexpr int kRounds = 3;

int g_nFailures = 0;

void Check(bool bOk, int nRound, const std::string& strWhat) {
    if (!bOk) {
        ++g_nFailures;
        std::printf("FAIL round %d: %s\n", nRound, strWhat.c_str());
    }
}

bool Notified(int nId) {
    for (const HostControl::Notification& note : HostControl::TakeNotifications()) {
        if (note.id == nId) {
            return true;
        }
    }
    return false;
}

// The module's plain-named entry points, looked up as a host looks them up.
struct Module {
    void* pHandle = nullptr;
    bool (*PreLoadConfigureFile)() = nullptr;
    bool (*RegisterMessage)() = nullptr;
    bool (*UnInit)() = nullptr;
    bool (*IsBlackContact)(const char*) = nullptr;
    bool (*IsRemoteContactConfigured)() = nullptr;
    bool (*IsBroadSoftContactConfigured)() = nullptr;
    bool (*IsOtherLocalContactConfigured)() = nullptr;

    template <class T>
    void Find(T& pFunction, const char* pName) {
        pFunction = reinterpret_cast<T>(dlsym(pHandle, pName));
    }
    bool Load(const char* pPath) {
        pHandle = dlopen(pPath, RTLD_NOW | RTLD_LOCAL);
        if (pHandle == nullptr) {
            std::printf("dlopen: %s\n", dlerror());
            return false;
        }
        Find(PreLoadConfigureFile, "Directory_PreLoadConfigureFile");
        Find(RegisterMessage, "Directory_RegisterMessage");
        Find(UnInit, "Directory_UnInit");
        Find(IsBlackContact, "Directory_IsBlackContact");
        Find(IsRemoteContactConfigured, "Directory_IsRemoteContactConfigured");
        Find(IsBroadSoftContactConfigured, "Directory_IsBroadSoftContactConfigured");
        Find(IsOtherLocalContactConfigured, "Directory_IsOtherLocalContactConfigured");
        return PreLoadConfigureFile && RegisterMessage && UnInit && IsBlackContact &&
               IsRemoteContactConfigured && IsBroadSoftContactConfigured && IsOtherLocalContactConfigured;
    }
};

void UseTheModule(Module& module, int nRound) {
    Check(module.PreLoadConfigureFile(), nRound, "PreLoadConfigureFile");
    Check(module.RegisterMessage(), nRound, "RegisterMessage");
    Check(module.IsBlackContact("200"), nRound, "the blacklisted number of the contact file");
    Check(module.IsRemoteContactConfigured(), nRound, "remote phonebook configured");
    Check(HostControl::RunUntilIdle(60000), nRound, "first downloads");
    Check(module.IsBroadSoftContactConfigured(), nRound, "network directory configured");
    Check(module.IsOtherLocalContactConfigured(), nRound, "other directories");
    HostControl::TakeNotifications();
    Check(HostControl::SendMessage(kConfigChanged, 47, 0) == 1 && Notified(1821), nRound,
          "remote settings reload");
    Check(HostControl::SendMessage(kConfigChanged, 49, 0) == 0 && Notified(1921), nRound,
          "network settings reload");
    Check(HostControl::SendMessage(kTimer, 83179, 0) == 0, nRound, "save timer");
    HostControl::AdvanceClock(60 * 1000);  // the network directory's refresh runs once
    Check(HostControl::RunUntilIdle(60000), nRound, "downloads after the reloads");
    Check(module.UnInit(), nRound, "UnInit");
}

void CheckNothingLeftBehind(const char* pPath, int nRound) {
    void* pStill = dlopen(pPath, RTLD_NOW | RTLD_NOLOAD);
    Check(pStill == nullptr, nRound, "the library is still loaded after dlclose");
    if (pStill != nullptr) {
        dlclose(pStill);
        return;
    }
    HostControl::TakeNotifications();
    Check(HostControl::SendMessage(kConfigChanged, 56, 0) == 0, nRound,
          "a configuration message after the unload");
    HostControl::AdvanceClock(10 * 60 * 1000);  // every refresh timer the module had would be due
    Check(HostControl::RunUntilIdle(60000), nRound, "the loop after the unload");
    Check(HostControl::TakeNotifications().empty(), nRound, "the module spoke after its unload");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::printf("usage: entry_reload_child <libDirectory.so>\n");
        return 2;
    }
    {
        const testsupport::TempRoot root;  // a loopback-only host on a temporary root, removed at the end
        HostControl::SetManualClock(true);
        testsupport::LoopbackHttpServer http;
        http.Serve("/book.xml", testsupport::BuildRemoteDirectory("Book", {{"Rita", {"5001"}}}));
        testsupport::MockXsiServer xsi("eve@example.test", "pw");
        xsi.SetEntries(testsupport::XsiDirectory::Group,
                       {testsupport::XsiMember("Ana", "Silva", "1001", "11")});

        root.WriteFile(
            "/config/data/contact_list.xml",
            "<root_contact><contact display_name=\"Bob\" group_id_name=\"1\" mobile_number=\"200\"/>"
            "</root_contact>");
        root.WriteFile("/config/data/remote_phonebook_list.xml",
                       testsupport::BuildRemoteSettings("", {{"Book", http.Url("/book.xml")}}));
        testsupport::ConfigureXsiAccount(xsi, xsi.UserId(), "pw", xsi.Port());
        configParser_SetConfigInt("BsftGroup", 1);
        configParser_SetConfigInt("BstDirUpdateInterVal", 1);

        for (int nRound = 1; nRound <= kRounds; ++nRound) {
            Module module;
            if (!module.Load(argv[1])) {
                Check(false, nRound, "the library or one of its plain-named entry points");
                break;
            }
            UseTheModule(module, nRound);
            dlclose(module.pHandle);
            CheckNothingLeftBehind(argv[1], nRound);
        }
        HostControl::Reset();
    }
    std::printf("%s after %d rounds\n", g_nFailures == 0 ? "library reloaded cleanly" : "FAILED", kRounds);
    return g_nFailures == 0 ? 0 : 1;
}
