#include "ImportCheck.h"

#include "BookSnapshot.h"
#include "FuzzHarness.h"
#include "HostControl.h"
#include "LocalFuzzModel.h"
#include "XPortFactory.h"
#include "XPortOsprey.h"

namespace fuzzsupport {

void ImportAndCheck(NS_DIRECTORY::CXPortBase& reader, const std::uint8_t* pData, std::size_t nSize) {
    NS_DIRECTORY::CContactGeneralModel& model = LocalModel();
    const std::string strPath = "/config/data/fuzz_import.xml";
    WriteFile(strPath, Text(pData, nSize));
    const BookSnapshot before = TakeBook(model);
    const bool bKeep = (nSize & 1) != 0;
    const int nResult = reader.Import(strPath.c_str(), bKeep, bKeep, false);
    if (nResult != NS_DIRECTORY::XPORT_RESULT_OK) {
        CheckSameBook(before, TakeBook(model), "a refused import changed nothing");
    } else {
        CheckBook(model, true);
        const BookSnapshot imported = TakeBook(model);
        FUZZ_CHECK(model.ReloadGroupXml());
        FUZZ_CHECK(model.ReloadContactXml());
        CheckSameBook(imported, TakeBook(model), "the imported book equals its files read back");
    }

    const std::vector<std::string> vecExported = ExportedPart(model);
    FUZZ_CHECK(NS_DIRECTORY::XPortFactory::ExportToPath(nullptr) == NS_DIRECTORY::XPORT_RESULT_OK);
    NS_DIRECTORY::CXPortOsprey osprey;
    FUZZ_CHECK(osprey.Import(nullptr, false, false, false) == NS_DIRECTORY::XPORT_RESULT_OK);
    FUZZ_CHECK(ExportedPart(model) == vecExported);
    CheckBook(model, true);
    HostControl::TakeLogLines();
    HostControl::TakeNotifications();
    HostControl::TakeCallLogUpdates();
}

}  // namespace fuzzsupport
