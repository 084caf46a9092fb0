#pragma once
// The page's files (tools/dirsim/web), built into the program so that dirsim --web needs nothing beside it.

#include <cstddef>
#include <string>

namespace dirsim {

struct WebAsset {
    const char* pPath;  // "/index.html"
    const char* pContentType;
    const unsigned char* pData;
    size_t nSize;
};

extern const WebAsset kWebAssets[];
extern const size_t kWebAssetCount;

// The file served at a request path ("/" is "/index.html"); null when there is none.
const WebAsset* FindWebAsset(const std::string& strPath);

}  // namespace dirsim
