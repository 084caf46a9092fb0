#include "XPortFactory.h"

#include <memory>
#include <new>

#include "CommonAPI.h"
#include "XPortKestrel.h"
#include "XPortMarlin.h"
#include "XPortOsprey.h"

namespace NS_DIRECTORY {

namespace {

std::unique_ptr<CXPortBase> MakeReader(int nFileType) {
    switch (nFileType) {
        case 0:
            return std::make_unique<CXPortKestrel>();
        case 1:
            return std::make_unique<CXPortMarlin>();
        case 2:
            return std::make_unique<CXPortOsprey>();
        default:
            return nullptr;
    }
}

}  // namespace

int XPortFactory::ImportByPath(const char* pPath, bool bKeepContacts, bool bKeepGroups, bool bCheckLimits) {
    try {
        const std::string strPath =
            pPath == nullptr || *pPath == '\0' ? CXPortBase::DefaultFilePath() : std::string(pPath);
        const std::unique_ptr<CXPortBase> pReader = MakeReader(CommonAPI_ParseContactFileType(strPath));
        if (!pReader) {
            return XPORT_RESULT_INVALID_FILE;
        }
        return pReader->Import(strPath.c_str(), bKeepContacts, bKeepGroups, bCheckLimits);
    } catch (const std::bad_alloc&) {
        return XPORT_RESULT_INVALID_FILE;
    }
}

int XPortFactory::ExportToPath(const char* pPath) {
    const std::unique_ptr<CXPortOsprey> pExporter(new (std::nothrow) CXPortOsprey());
    if (!pExporter) {
        return XPORT_RESULT_NO_PATH;
    }
    const std::string strPath = pPath == nullptr || *pPath == '\0' ? CXPortBase::DefaultFilePath() : pPath;
    return pExporter->Export(strPath.c_str());
}

}  // namespace NS_DIRECTORY
