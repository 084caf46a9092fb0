#include "LocalFuzzModel.h"

#include "BookSnapshot.h"
#include "FuzzHarness.h"

namespace fuzzsupport {

NS_DIRECTORY::CContactGeneralModel& LocalModel() {
    Sandbox(true);
    NS_DIRECTORY::CContactGeneralModel* pModel = NS_DIRECTORY::CContactGeneralModel::GetInstance();
    FUZZ_CHECK(pModel != nullptr);
    return *pModel;
}

void WriteLocalFiles(const std::string& strInput) {
    std::string strGroups;
    std::string strContacts;
    SplitLocalFiles(strInput, &strGroups, &strContacts);
    WriteFile("/config/data/contact_group_list.xml", strGroups);
    WriteFile("/config/data/contact_list.xml", strContacts);
}

}  // namespace fuzzsupport
