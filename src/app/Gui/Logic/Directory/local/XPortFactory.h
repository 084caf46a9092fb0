#pragma once
// Contact import and export by file: picks the reader by the file's type and answers result codes
// (XPortResultCode in XPortBase.h). A null or empty path is "/config/data/contact_xported.xml".

namespace NS_DIRECTORY {

class XPortFactory {
public:
    // Types other than the three known formats answer 1 with nothing changed.
    static int ImportByPath(const char* pPath, bool bKeepContacts, bool bKeepGroups, bool bCheckLimits);
    // Writes the newest format; 1 when the file could not be written (an old export stays as it was).
    static int ExportToPath(const char* pPath);
};

}  // namespace NS_DIRECTORY
