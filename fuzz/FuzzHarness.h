#pragma once
// What every fuzz driver shares: a sandboxed host (its own file root in memory, loopback-only transfers,
// no network, a manual clock), writing an input to a phone path, and property checks that stop the run.

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzzsupport {

// Once per process: a fresh host rooted in a new folder (under /dev/shm when it can), removed at exit.
// Transfers are loopback-only and the network counts as down; with bRunActions false the executor refuses
// every task action as well, so nothing a document names is ever fetched.
void Sandbox(bool bRunActions);

std::string Text(const std::uint8_t* pData, std::size_t nSize);
// Writes the bytes to a phone path ("/config/data/x.xml") under the sandbox root.
void WriteFile(const std::string& strPhonePath, const std::string& strContent);
// The real location of a phone path.
std::string RealPath(const std::string& strPhonePath);

// Reports the broken property with the input's position and aborts, which libFuzzer takes as a crash.
[[noreturn]] void Fail(const char* pWhat, const char* pFile, int nLine);

}  // namespace fuzzsupport

#define FUZZ_CHECK(condition)                                    \
    do {                                                         \
        if (!(condition)) {                                      \
            ::fuzzsupport::Fail(#condition, __FILE__, __LINE__); \
        }                                                        \
    } while (false)
