#include "CommonUnits.h"

#include <atomic>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <sys/stat.h>

#include "BaseHelper.h"
#include "CommonAPI.h"
#include "HostState.h"
#include "TextFold.h"

namespace {

constexpr const char* kStoredUserPrefix = "Config:";
constexpr const char* kStoredBuiltInPrefix = "Resource:";
constexpr int kBuiltInImageCount = 8;

std::atomic<int> g_nLastErrorId{0};

struct StatusItems {
    std::mutex mutex;
    std::set<int> items;
};

StatusItems& Statuses() {
    static StatusItems* pItems = new StatusItems;  // never destroyed: used until process exit
    return *pItems;
}

bool IsRegularFile(const std::string& strPath) {
    if (strPath.empty())
        return false;
    struct stat info {};
    return ::stat(ETL_MiscHelper::pathMapToRoot(strPath).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool FoldersOf(int nFileType, std::string& strUser, std::string& strBuiltIn) {
    if (nFileType == PHFILE_TYPE_RING) {
        strUser = CommonUnits_GetUserUploadRingFolder();
        strBuiltIn = CommonUnits_GetDefaultRingFolder();
        return true;
    }
    if (nFileType == PHFILE_TYPE_PHOTO) {
        strUser = CommonUnits_GetUserUploadPhotoFolder();
        strBuiltIn = CommonUnits_GetDefaultPhotoFolder();
        return true;
    }
    return false;
}

bool StartsWith(const std::string& strText, const std::string& strPrefix) {
    return strText.compare(0, strPrefix.size(), strPrefix) == 0;
}

// A file name directly inside folder: "<folder><name>" with no further "/" in name.
bool NameInFolder(const std::string& strPath, const std::string& strFolder, std::string& strName) {
    if (!StartsWith(strPath, strFolder) || strPath.size() == strFolder.size())
        return false;
    strName = strPath.substr(strFolder.size());
    return strName.find('/') == std::string::npos;
}

// Letters outside a..z, α..ω and а..я that sit on a key: the ligatures the folding keeps whole and the
// Ukrainian and Belarusian letters (ё ї ў and й reach here only when written unfolded).
struct ExtraLetterKey {
    uint32_t nCodePoint;
    char cKey;
};
constexpr ExtraLetterKey kExtraLetterKeys[] = {
    {0x00E6, '2'} /* æ */, {0x0153, '6'} /* œ */, {0x0491, '2'} /* ґ */, {0x0451, '3'} /* ё */,
    {0x0454, '3'} /* є */, {0x0456, '4'} /* і */, {0x0457, '4'} /* ї */, {0x045E, '6'} /* ў */,
};

// The key of a folded letter or digit; 0 for anything not on the keypad.
char KeyOf(uint32_t cp) {
    static const char kLatinKeys[] = "22233344455566677778889999";  // a..z
    static const char kGreekKeys[] = "2223334445556667777888999";   // α..ω, ς beside σ
    if (cp >= 'a' && cp <= 'z') {
        return kLatinKeys[cp - 'a'];
    }
    if (cp >= 'A' && cp <= 'Z') {
        return kLatinKeys[cp - 'A'];
    }
    if ((cp >= '0' && cp <= '9') || cp == '*' || cp == '#' || cp == '+') {
        return static_cast<char>(cp);
    }
    if (cp >= 0x430 && cp <= 0x44F) {
        return static_cast<char>('2' + (cp - 0x430) / 4);  // а..я, four a key
    }
    if (cp >= 0x3B1 && cp <= 0x3C9) {
        return kGreekKeys[cp - 0x3B1];
    }
    for (const ExtraLetterKey& extra : kExtraLetterKeys) {
        if (extra.nCodePoint == cp) {
            return extra.cKey;
        }
    }
    return 0;
}

}  // namespace

namespace etl_host {

void ResetCommonUnits() {
    g_nLastErrorId = 0;
    StatusItems& statuses = Statuses();
    std::lock_guard<std::mutex> lock(statuses.mutex);
    statuses.items.clear();
}

}  // namespace etl_host

std::string CommonUnits_GetDefaultRingFolder() {
    return "/phone/resource/ring/";
}
std::string CommonUnits_GetUserUploadRingFolder() {
    return "/config/data/ring/";
}
std::string CommonUnits_GetDefaultPhotoFolder() {
    return "/phone/resource/photo/";
}
std::string CommonUnits_GetUserUploadPhotoFolder() {
    return "/config/data/photo/";
}
std::string CommonUnits_GetDefaultContactImage() {
    return "/phone/resource/photo/default_contact.png";
}

std::string CommonUnits_GetImagePathByIndex(int nIndex) {
    if (nIndex < 1 || nIndex > kBuiltInImageCount)
        return std::string();
    return CommonAPI_FormatString("%scontact_%02d.png", CommonUnits_GetDefaultPhotoFolder().c_str(), nIndex);
}

bool CommonUnits_IsRingExist(const std::string& strPath) {
    return IsRegularFile(strPath);
}
bool CommonUnits_IsContactImageExist(const std::string& strPath) {
    return IsRegularFile(strPath);
}

// Only a stored form (a prefix, then the name) changes: the folder is looked up for that one alone.
bool CommonUnits_Hide2Real(std::string& strPath, int nFileType) {
    const bool bRing = nFileType == PHFILE_TYPE_RING;
    if (!bRing && nFileType != PHFILE_TYPE_PHOTO)
        return false;
    const std::string_view path = strPath;
    const std::string_view userPrefix = kStoredUserPrefix;
    const std::string_view builtInPrefix = kStoredBuiltInPrefix;
    if (path.substr(0, userPrefix.size()) == userPrefix) {
        strPath.replace(
            0, userPrefix.size(),
            bRing ? CommonUnits_GetUserUploadRingFolder() : CommonUnits_GetUserUploadPhotoFolder());
    } else if (path.substr(0, builtInPrefix.size()) == builtInPrefix) {
        strPath.replace(0, builtInPrefix.size(),
                        bRing ? CommonUnits_GetDefaultRingFolder() : CommonUnits_GetDefaultPhotoFolder());
    }
    return true;
}

bool CommonUnits_Real2Hide(std::string& strPath, int nFileType) {
    std::string strUser, strBuiltIn, strName;
    if (!FoldersOf(nFileType, strUser, strBuiltIn))
        return false;
    if (NameInFolder(strPath, strUser, strName)) {
        strPath = kStoredUserPrefix + strName;
    } else if (NameInFolder(strPath, strBuiltIn, strName)) {
        strPath = kStoredBuiltInPrefix + strName;
    }
    return true;
}

namespace {

// The keys of the ASCII characters, taken from KeyOf once.
struct AsciiKeys {
    char keys[0x80];
    AsciiKeys() {
        for (uint32_t cp = 0; cp < 0x80; ++cp) {
            keys[cp] = KeyOf(cp);
        }
    }
};

const AsciiKeys& AsciiKeyTable() {
    static const AsciiKeys table;
    return table;
}

// The keys of any text, character by character through its folded form.
std::string KeysOfFolded(const std::string& strName) {
    const AsciiKeys& ascii = AsciiKeyTable();
    // ASCII text folds to itself.
    const bool bAscii = etl_text::IsAscii(strName);
    const std::string strFolded = bAscii ? std::string() : etl_text::Fold(strName);
    const std::string& strText = bAscii ? strName : strFolded;
    // The keys go to a buffer first, so the answer is made once at its exact size (a short one needs no
    // allocation at all).
    char szLocal[128];
    std::string strLong;
    char* pKeys = szLocal;
    if (strText.size() > sizeof(szLocal)) {
        strLong.resize(strText.size());
        pKeys = &strLong[0];
    }
    size_t nKeys = 0;
    for (size_t i = 0; i < strText.size();) {
        const unsigned char nByte = static_cast<unsigned char>(strText[i]);
        if (nByte < 0x80) {
            if (const char cKey = ascii.keys[nByte]) {
                pKeys[nKeys++] = cKey;
            }
            ++i;
            continue;
        }
        uint32_t nCodePoint = 0;
        bool bTruncated = false;
        const size_t nSequence =
            etl_text::DecodeUtf8(strText.data() + i, strText.size() - i, nCodePoint, bTruncated);
        if (nSequence == 0) {
            ++i;  // an ill-formed byte is no letter
            continue;
        }
        if (const char cKey = KeyOf(nCodePoint)) {
            pKeys[nKeys++] = cKey;
        }
        i += nSequence;
    }
    return std::string(pKeys, nKeys);
}

// The keys of every character written in two bytes (U+0080 to U+07FF: the Latin, Greek and Cyrillic
// letters), worked out once. Every character folds on its own, so a text's keys are its characters' keys
// one after another, and an ill-formed byte has none.
class TwoByteKeys {
public:
    static constexpr uint32_t kFirst = 0x80;
    static constexpr uint32_t kEnd = 0x800;
    static constexpr size_t kMostKeys = 7;

    TwoByteKeys() {
        for (uint32_t cp = kFirst; cp < kEnd; ++cp) {
            const char szChar[] = {static_cast<char>(0xC0 | (cp >> 6)), static_cast<char>(0x80 | (cp & 0x3F)),
                                   '\0'};
            const std::string strKeys = KeysOfFolded(szChar);
            Entry& entry = m_entries[cp - kFirst];
            entry.nLength = strKeys.size() <= kMostKeys ? static_cast<uint8_t>(strKeys.size()) : kTooMany;
            strKeys.copy(entry.szKeys, kMostKeys);
        }
    }

    // Appends the keys of the character; false when it has more than kMostKeys of them.
    bool Append(uint32_t cp, char* pKeys, size_t* pCount) const {
        const Entry& entry = m_entries[cp - kFirst];
        if (entry.nLength == kTooMany) {
            return false;
        }
        std::memcpy(pKeys + *pCount, entry.szKeys, kMostKeys);
        *pCount += entry.nLength;
        return true;
    }

private:
    static constexpr uint8_t kTooMany = 0xFF;
    struct Entry {
        char szKeys[kMostKeys];
        uint8_t nLength;
    };
    Entry m_entries[kEnd - kFirst];
};

const TwoByteKeys& TwoByteKeyTable() {
    static const TwoByteKeys table;
    return table;
}

// Whether any of the eight bytes at pText is 0x80 or above.
bool HoldsHighBit(const char* pText) {
    uint64_t nWord = 0;
    std::memcpy(&nWord, pText, sizeof(nWord));
    return (nWord & 0x8080808080808080ULL) != 0;
}

// The keys of a name of ASCII and two-byte characters and ill-formed bytes, in one pass; false for any
// other name and for one longer than kTableNameRoom bytes. Two bytes give at most kMostKeys keys.
constexpr size_t kTableNameRoom = 128;
constexpr size_t kTableKeyRoom = kTableNameRoom / 2 * TwoByteKeys::kMostKeys + TwoByteKeys::kMostKeys;
bool TableKeyString(const std::string& strName, char (&szKeys)[kTableKeyRoom], size_t* pKeys) {
    const char* pText = strName.data();
    const size_t nSize = strName.size();
    if (nSize > kTableNameRoom) {
        return false;
    }
    const char* const pAsciiKeys = AsciiKeyTable().keys;
    const TwoByteKeys& twoByte = TwoByteKeyTable();
    char* const pOut = szKeys;
    size_t nKeys = 0;
    const auto appendAsciiKey = [pAsciiKeys, pOut, &nKeys](char c) {
        const char cKey = pAsciiKeys[static_cast<unsigned char>(c)];
        pOut[nKeys] = cKey;
        nKeys += cKey != 0 ? 1 : 0;
    };
    for (size_t i = 0; i < nSize;) {
        // A run of ASCII: eight bytes at a time while none of them has its high bit set, then one by one.
        for (; i + 8 <= nSize && !HoldsHighBit(pText + i); i += 8) {
            for (size_t nByte = 0; nByte < 8; ++nByte) {
                appendAsciiKey(pText[i + nByte]);
            }
        }
        for (; i < nSize && static_cast<unsigned char>(pText[i]) < 0x80; ++i) {
            appendAsciiKey(pText[i]);
        }
        if (i == nSize) {
            break;
        }
        const auto nByte = static_cast<unsigned char>(pText[i]);
        const auto nNext = i + 1 < nSize ? static_cast<unsigned char>(pText[i + 1]) : 0;
        if (nByte >= 0xC2 && nByte <= 0xDF && (nNext & 0xC0) == 0x80) {
            if (!twoByte.Append((nByte & 0x1Fu) << 6 | (nNext & 0x3Fu), pOut, &nKeys)) {
                return false;
            }
            i += 2;
            continue;
        }
        uint32_t nCodePoint = 0;
        bool bTruncated = false;
        if (etl_text::DecodeUtf8(pText + i, nSize - i, nCodePoint, bTruncated) != 0) {
            return false;  // a character of three or four bytes
        }
        ++i;  // an ill-formed byte is no letter
    }
    *pKeys = nKeys;
    return true;
}

}  // namespace

std::string CommonUnits_ToKeyString(const std::string& strName) {
    char szTableKeys[kTableKeyRoom];
    size_t nTableKeys = 0;
    if (TableKeyString(strName, szTableKeys, &nTableKeys)) {
        return std::string(szTableKeys, nTableKeys);
    }
    return KeysOfFolded(strName);
}

void CommonUnits_SetErrorId(int nErrorId) {
    g_nLastErrorId = nErrorId;
}
int CommonUnits_GetErrorId() {
    return g_nLastErrorId;
}

void CommonUnits_AddStatus(int nStatusId) {
    StatusItems& statuses = Statuses();
    std::lock_guard<std::mutex> lock(statuses.mutex);
    statuses.items.insert(nStatusId);
}

void CommonUnits_RemoveStatus(int nStatusId) {
    {
        StatusItems& statuses = Statuses();
        std::lock_guard<std::mutex> lock(statuses.mutex);
        statuses.items.erase(nStatusId);
    }
    etl_host::RecordRemovedStatus(nStatusId);
}

bool CommonUnits_HasStatus(int nStatusId) {
    StatusItems& statuses = Statuses();
    std::lock_guard<std::mutex> lock(statuses.mutex);
    return statuses.items.count(nStatusId) != 0;
}
