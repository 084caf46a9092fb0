#include "FuzzHarness.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "HostControl.h"

namespace fuzzsupport {

namespace {

std::string& RootDir() {
    static std::string s_strRoot;
    return s_strRoot;
}

void RemoveRoot() {
    std::error_code ec;
    std::filesystem::remove_all(RootDir(), ec);
}

std::string MakeRootDir() {
    std::error_code ec;
    std::string strBase = std::filesystem::is_directory("/dev/shm", ec) ? "/dev/shm" : "";
    if (strBase.empty()) {
        const char* pTmp = std::getenv("TMPDIR");
        strBase = pTmp != nullptr && pTmp[0] != '\0' ? pTmp : "/tmp";
    }
    std::string strPattern = strBase + "/directory-fuzz.XXXXXX";
    if (mkdtemp(strPattern.data()) == nullptr) {
        std::perror("fuzz sandbox");
        std::abort();
    }
    return strPattern;
}

}  // namespace

void Sandbox(bool bRunActions) {
    static bool s_bReady = false;
    if (s_bReady) {
        return;
    }
    s_bReady = true;
    HostControl::SetLoopbackOnly(true);
    RootDir() = MakeRootDir();
    std::atexit(RemoveRoot);
    HostControl::SetRootDir(RootDir());
    HostControl::Reset();
    HostControl::SetManualClock(true);
    HostControl::SetNetworkReady(false);
    HostControl::SetRefuseTaskActions(!bRunActions);
}

std::string Text(const std::uint8_t* pData, std::size_t nSize) {
    return std::string(reinterpret_cast<const char*>(pData), nSize);
}

std::string RealPath(const std::string& strPhonePath) {
    return HostControl::MapPath(strPhonePath);
}

void WriteFile(const std::string& strPhonePath, const std::string& strContent) {
    const std::filesystem::path path = RealPath(strPhonePath);
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(strContent.data(), static_cast<std::streamsize>(strContent.size()));
    if (!out) {
        Fail("the input could not be written", __FILE__, __LINE__);
    }
}

void Fail(const char* pWhat, const char* pFile, int nLine) {
    std::fprintf(stderr, "\n==== fuzz property broken at %s:%d: %s\n", pFile, nLine, pWhat);
    std::abort();
}

}  // namespace fuzzsupport
