#pragma once
// The GUI's facade for adding and updating local contacts; forwards to the local phone book.

#include <string>

#include "ContactGeneralTypes.h"

namespace NS_DIRECTORY {

class CContactEditorController {
public:
    static CContactEditorController* GetInstance();
    static void ReleaseInstance();

    // The phone book's answers; -1 when it cannot be had.
    int AddContact(const ContactGeneralItemData& data);
    int UpdateContactData(const std::string& strOldName, const ContactGeneralItemData& data);

private:
    CContactEditorController() = default;

    static CContactEditorController* m_pInst;
};

}  // namespace NS_DIRECTORY
