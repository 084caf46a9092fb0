// What the built libDirectory.so exports, read from its dynamic symbol table: the ten entry points a host
// looks up by plain name, every other entry point under its C++ name, the classes and records the GUI
// uses, and nothing else.

#include <cxxabi.h>
#include <elf.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <ios>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

struct ExportedSymbol {
    std::string strName;  // as in the table
    bool bFunction;
};

template <class Ehdr, class Shdr, class Sym>
std::vector<ExportedSymbol> ReadExports(const std::string& strImage, unsigned char (*pBind)(unsigned char),
                                        unsigned char (*pType)(unsigned char)) {
    std::vector<ExportedSymbol> vecSymbols;
    if (strImage.size() < sizeof(Ehdr)) {
        return vecSymbols;
    }
    const auto* pHeader = reinterpret_cast<const Ehdr*>(strImage.data());
    const auto* pSections = reinterpret_cast<const Shdr*>(strImage.data() + pHeader->e_shoff);
    for (int i = 0; i < pHeader->e_shnum; ++i) {
        if (pSections[i].sh_type != SHT_DYNSYM) {
            continue;
        }
        const char* pNames = strImage.data() + pSections[pSections[i].sh_link].sh_offset;
        const auto* pSym = reinterpret_cast<const Sym*>(strImage.data() + pSections[i].sh_offset);
        const std::size_t nCount = pSections[i].sh_size / sizeof(Sym);
        for (std::size_t n = 0; n < nCount; ++n) {
            const unsigned char nBind = pBind(pSym[n].st_info);
            const bool bGlobal = nBind == STB_GLOBAL || nBind == STB_WEAK || nBind == STB_GNU_UNIQUE;
            if (pSym[n].st_shndx != SHN_UNDEF && bGlobal &&
                ELF64_ST_VISIBILITY(pSym[n].st_other) == STV_DEFAULT) {
                vecSymbols.push_back({pNames + pSym[n].st_name, pType(pSym[n].st_info) == STT_FUNC});
            }
        }
    }
    return vecSymbols;
}

unsigned char Bind64(unsigned char nInfo) {
    return ELF64_ST_BIND(nInfo);
}
unsigned char Type64(unsigned char nInfo) {
    return ELF64_ST_TYPE(nInfo);
}
unsigned char Bind32(unsigned char nInfo) {
    return ELF32_ST_BIND(nInfo);
}
unsigned char Type32(unsigned char nInfo) {
    return ELF32_ST_TYPE(nInfo);
}

std::vector<ExportedSymbol> ReadModuleExports() {
    std::ifstream in(DIRECTORY_MODULE_FILE, std::ios::binary | std::ios::ate);
    std::string strImage(static_cast<std::size_t>(std::max<std::streamoff>(in.tellg(), 0)), '\0');
    in.seekg(0);
    in.read(strImage.data(), static_cast<std::streamsize>(strImage.size()));
    if (!in || strImage.size() < EI_NIDENT || std::memcmp(strImage.data(), ELFMAG, SELFMAG) != 0) {
        return {};
    }
    return strImage[EI_CLASS] == ELFCLASS64
               ? ReadExports<Elf64_Ehdr, Elf64_Shdr, Elf64_Sym>(strImage, Bind64, Type64)
               : ReadExports<Elf32_Ehdr, Elf32_Shdr, Elf32_Sym>(strImage, Bind32, Type32);
}

// The defined dynamic symbols of the built module.
const std::vector<ExportedSymbol>& ModuleExports() {
    static const std::vector<ExportedSymbol> vecExports = ReadModuleExports();
    return vecExports;
}

std::string Demangle(const std::string& strName) {
    int nStatus = 0;
    std::unique_ptr<char, void (*)(void*)> pText(
        abi::__cxa_demangle(strName.c_str(), nullptr, nullptr, &nStatus), std::free);
    return nStatus == 0 && pText ? std::string(pText.get()) : strName;
}

bool StartsWith(const std::string& strText, const std::string& strPrefix) {
    return strText.compare(0, strPrefix.size(), strPrefix) == 0;
}

const char* const kPlainEntryPoints[] = {
    "Directory_PreLoadConfigureFile",
    "Directory_RegisterMessage",
    "Directory_UnInit",
    "Directory_ReloadConfigureFile",
    "Directory_GetGroupList",
    "Directory_IsBlackContact",
    "Directory_IsLdapContactConfigured",
    "Directory_IsBroadSoftContactConfigured",
    "Directory_IsRemoteContactConfigured",
    "Directory_IsOtherLocalContactConfigured",
};

const char* const kCppEntryPoints[] = {
    "Directory_GetLocalGroupCount",
    "Directory_GetGroupNameByIndex",
    "Directory_GetGIdByGName",
    "Directory_IsBlacklistIndex",
    "Directory_GetContactDataByName",
    "Directory_GetContactDataByNumber",
    "Directory_GetContactNameByNumber",
    "Directory_GetContactRingByNumber",
    "Directory_GetContactImageByNumber",
    "Directory_SearchWithMutlNumberAsync",
    "Directory_CreateLocalSaveAction",
    "Directory_DestroyLocalSaveAction",
    "TaskAction_CreateLocalContactSearchAction",
    "TaskAction_DestroyLocalContactSearchAction",
    "Directory_GetRemoteDisplayName",
    "Directory_GetRemoteGroupName",
    "Directory_GetAllConfiguredItemName",
    "Directory_GetRemoteContactNameByNumber",
    "Directory_SearchRemoteWithOneNumber",
    "Directory_SearchRemoteWithMultNumber",
    "Directory_CreateContactRemoteAction",
    "Directory_DestroyContactRemoteAction",
    "TaskAction_CreateRemoteContactSearchAction",
    "TaskAction_DestroyRemoteContactSearchAction",
    "Directory_IsBroadSoftPersonal",
    "Directory_GetBroadSoftDisplayName",
    "Directory_GetBroadSoftGroupName",
    "Directory_GetBroadSoftConfiguredItemNameInConfigured",
    "Directory_GetBstContactNameByNumber",
    "Directory_GetShortcutList",
    "Directory_GetDefaultIcon",
    "Directory_SetDefaultIcon",
    "Directory_GetGroupGeneralImage",
    "Directory_GetContactGeneralImage",
};

// Classes and records the GUI uses, exported whole.
const char* const kGuiClasses[] = {
    "CContactGeneralModel",       "CContactGroupController",    "CContactEditorController",
    "CContactRemoteModel",        "CContactBroadSoftModel",     "CDirectoryShortcut",
    "CLocalContactSearchAction",  "CContactRemoteSearchAction", "CContactLocalSaveAction",
    "CContactRemoteAction",       "ContactRemoteItemBase",      "ContactRemoteMenu",
    "ContactRemoteUnit",          "ContactRemoteHotKey",        "ContactRemotePageKey",
    "ContactBroadSoftItemBase",   "BroadSoftMemberFields",      "ContactBroadSoftGroup",
    "ContactBroadSoftEnterprise", "ContactBroadSoftPersonal",   "ContactBroadSoftCommon",
    "ContactBroadSoftCustom",
};
const char* const kGuiFunctions[] = {"Base2Menu",    "Base2Unit",       "Base2HotKey",
                                     "Base2PageKey", "Base2Group",      "Base2Personal",
                                     "Base2Common",  "Base2Enterprise", "Base2Custom"};
const char* const kGuiData[] = {"NS_DIRECTORY::REMOTE_ROOT_KEY", "NS_DIRECTORY::BSFT_ALL_CONTACT"};

// The readable name of the function pName ("f(int)", or "f[abi:cxx11](int)" for one returning a string).
bool IsFunction(const std::string& strReadable, const char* pName) {
    return StartsWith(strReadable, std::string(pName) + "(") ||
           StartsWith(strReadable, std::string(pName) + "[");
}

bool IsCppEntryPoint(const std::string& strReadable) {
    return std::any_of(std::begin(kCppEntryPoints), std::end(kCppEntryPoints),
                       [&](const char* pName) { return IsFunction(strReadable, pName); });
}

bool IsGuiFacing(std::string strReadable) {
    for (const char* pPrefix : {"vtable for ", "typeinfo for ", "typeinfo name for "}) {
        if (StartsWith(strReadable, pPrefix)) {
            strReadable.erase(0, std::strlen(pPrefix));
        }
    }
    for (const char* pClass : kGuiClasses) {
        const std::string strClass = std::string("NS_DIRECTORY::") + pClass;
        if (strReadable == strClass || StartsWith(strReadable, strClass + "::")) {
            return true;
        }
    }
    for (const char* pFunction : kGuiFunctions) {
        if (StartsWith(strReadable, std::string("NS_DIRECTORY::") + pFunction + "(")) {
            return true;
        }
    }
    for (const char* pData : kGuiData) {
        if (strReadable == pData) {
            return true;
        }
    }
    return false;
}

TEST(SymbolExportTest, TheTenEntryPointsAreExportedUnderPlainNamesAndOnlyThus) {
    const std::vector<ExportedSymbol>& vecExports = ModuleExports();
    ASSERT_FALSE(vecExports.empty()) << "cannot read " << DIRECTORY_MODULE_FILE;
    for (const char* pName : kPlainEntryPoints) {
        int nPlain = 0;
        int nMangled = 0;
        for (const ExportedSymbol& symbol : vecExports) {
            nPlain += symbol.strName == pName && symbol.bFunction ? 1 : 0;
            nMangled +=
                symbol.strName != pName && StartsWith(Demangle(symbol.strName), std::string(pName) + "(") ? 1
                                                                                                          : 0;
        }
        EXPECT_EQ(nPlain, 1) << pName << " is not exported as a plain function name";
        EXPECT_EQ(nMangled, 0) << pName << " is exported under a mangled name";
    }
}

TEST(SymbolExportTest, EveryOtherEntryPointKeepsItsCppName) {
    const std::vector<ExportedSymbol>& vecExports = ModuleExports();
    for (const char* pName : kCppEntryPoints) {
        int nFound = 0;
        for (const ExportedSymbol& symbol : vecExports) {
            nFound += IsFunction(Demangle(symbol.strName), pName) && StartsWith(symbol.strName, "_Z") ? 1 : 0;
            EXPECT_NE(symbol.strName, pName) << pName << " lost its C++ name";
        }
        EXPECT_EQ(nFound, 1) << pName << " is not exported under its C++ name";
    }
}

TEST(SymbolExportTest, NothingButEntryPointsAndGuiFacingClassesLeavesTheLibrary) {
    const std::vector<ExportedSymbol>& vecExports = ModuleExports();
    const std::set<std::string> setPlain(std::begin(kPlainEntryPoints), std::end(kPlainEntryPoints));
    std::vector<std::string> vecInternal;
    for (const ExportedSymbol& symbol : vecExports) {
        const std::string strReadable = Demangle(symbol.strName);
        if (setPlain.count(symbol.strName) == 0 && !IsCppEntryPoint(strReadable) &&
            !IsGuiFacing(strReadable)) {
            vecInternal.push_back(strReadable);
        }
    }
    std::string strShown;
    for (std::size_t i = 0; i < vecInternal.size() && i < 20; ++i) {
        strShown += "\n    " + vecInternal[i];
    }
    EXPECT_TRUE(vecInternal.empty()) << vecInternal.size() << " internal symbols exported:" << strShown;
    std::set<std::string> setReadable;
    for (const ExportedSymbol& symbol : vecExports) {
        setReadable.insert(Demangle(symbol.strName));
    }
    for (const char* pInternal :
         {"NS_DIRECTORY::IsNetworkConnected()", "NS_DIRECTORY::IntToString[abi:cxx11](int)",
          "NS_DIRECTORY::OnDirectoryMessage(ETL_MsgQueueHelper::msgObject&)",
          "NS_DIRECTORY::XPortFactory::ExportToPath(char const*)"}) {
        EXPECT_EQ(setReadable.count(pInternal), 0u) << pInternal;
    }
}

}  // namespace
