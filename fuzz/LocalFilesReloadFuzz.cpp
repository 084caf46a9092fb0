// The background reload of the local files: it ends with the store free again and in step with itself, and
// a saved book reloaded in the background equals the book.
// Seeds: fuzz/seeds/LocalFiles

#include <cstddef>
#include <cstdint>

#include "BookSnapshot.h"
#include "FuzzHarness.h"
#include "HostControl.h"
#include "LocalFuzzModel.h"

namespace {

void ReloadInBackground(NS_DIRECTORY::CContactGeneralModel& model) {
    FUZZ_CHECK(model.ReloadGroupAndItemByHttp());
    FUZZ_CHECK(HostControl::RunUntilIdle(60000));
    FUZZ_CHECK(!model.IsReloadGroupAndItemByHttp());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    NS_DIRECTORY::CContactGeneralModel& model = fuzzsupport::LocalModel();
    fuzzsupport::WriteLocalFiles(fuzzsupport::Text(pData, nSize));
    ReloadInBackground(model);
    fuzzsupport::CheckBook(model, false);
    const fuzzsupport::BookSnapshot loaded = fuzzsupport::TakeBook(model);

    fuzzsupport::SaveBook(model);
    ReloadInBackground(model);
    fuzzsupport::CheckSameBook(loaded, fuzzsupport::TakeBook(model),
                               "a saved book reloaded in the background equals the book");
    HostControl::TakeLogLines();
    HostControl::TakeNotifications();
    HostControl::TakeCallLogUpdates();
    return 0;
}
