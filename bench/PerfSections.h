#pragma once
// The sections of the suite, each building its fixture for one size and offering its rows, and the
// counting allocator the memory rows read.

#include <cstddef>
#include <memory>

#include "PerfHarness.h"
#include "TempRoot.h"

namespace perf {

// The local phone book: caller lookup, search key strokes and their narrowing, loading, edits, imports,
// memory.
void LocalSection(Suite& suite, int nContacts);
// A remote phonebook tree: full refresh, narrowing search, caller lookup.
void RemoteSection(Suite& suite, int nEntries);
// An Xsi directory: paged download, narrowing search, caller lookup.
void XsiSection(Suite& suite, int nEntries);

// A fresh host rooted in a new folder in memory (/dev/shm, where the phone keeps "/tmp"), else in the
// usual temporary folder.
std::unique_ptr<testsupport::TempRoot> MakeMemoryRoot();

// Every allocation of the process (operator new and pugixml's allocator) is counted while counting is on:
// the bytes the allocator holds for it (usable size plus its bookkeeping word).
void StartCounting();
void StopCounting();
long long LiveBytes();
// The highest LiveBytes() since StartCounting() or ResetPeak().
long long PeakBytes();
void ResetPeak();

}  // namespace perf
