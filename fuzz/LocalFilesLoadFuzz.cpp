// The synchronous load of the local files: the book keeps the store's invariants, and a saved and reloaded
// book equals the book.
// Seeds: fuzz/seeds/LocalFiles

#include <cstddef>
#include <cstdint>

#include "BookSnapshot.h"
#include "FuzzHarness.h"
#include "HostControl.h"
#include "LocalFuzzModel.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    NS_DIRECTORY::CContactGeneralModel& model = fuzzsupport::LocalModel();
    fuzzsupport::WriteLocalFiles(fuzzsupport::Text(pData, nSize));
    model.ReloadGroupXml();
    model.ReloadContactXml();
    fuzzsupport::CheckBook(model, true);
    const fuzzsupport::BookSnapshot loaded = fuzzsupport::TakeBook(model);

    fuzzsupport::SaveBook(model);
    FUZZ_CHECK(model.ReloadGroupXml());
    FUZZ_CHECK(model.ReloadContactXml());
    fuzzsupport::CheckSameBook(loaded, fuzzsupport::TakeBook(model),
                               "a saved and reloaded book equals the book");
    HostControl::TakeLogLines();
    HostControl::TakeNotifications();
    HostControl::TakeCallLogUpdates();
    return 0;
}
