// "remote_phonebook_list.xml": a usable file gives the first five items as slots, search URLs cut after
// "search.php" with the whole URL kept aside; any other file is replaced by the default of five empty slots,
// which reads back.
// Seeds: fuzz/seeds/RemoteSettings

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzHarness.h"
#include "HostControl.h"
#include "RemoteFuzzModel.h"

namespace {

const char* const kSettings = "/config/data/remote_phonebook_list.xml";

struct Slot {
    std::string strName;
    std::string strUrl;
    std::string strFullUrl;
};

// The slots a file gives, read here with pugixml alone; false when the file is not usable.
bool ExpectedSlots(const std::string& strInput, std::vector<Slot>* pSlots, std::string* pDisplayName) {
    pugi::xml_document doc;
    if (!doc.load_buffer(strInput.data(), strInput.size())) {
        return false;
    }
    const pugi::xml_node root = doc.child("root_remote_phonebook");
    if (!root) {
        return false;
    }
    *pDisplayName = root.attribute("display_name").value();
    for (pugi::xml_node item = root.child("item"); item && pSlots->size() < 5;
         item = item.next_sibling("item")) {
        Slot slot{item.attribute("name").value(), item.attribute("url").value(), ""};
        const std::size_t nSearch = slot.strUrl.find("search.php");
        if (nSearch != std::string::npos) {
            slot.strFullUrl = slot.strUrl;
            slot.strUrl.resize(nSearch + 10);
        }
        pSlots->push_back(slot);
    }
    pSlots->resize(5);
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    NS_DIRECTORY::CContactRemoteModel& model = fuzzsupport::FreshRemoteModel();
    const std::string strInput = fuzzsupport::Text(pData, nSize);
    fuzzsupport::WriteFile(kSettings, strInput);
    model.ReloadConfigure();

    std::vector<Slot> vecSlots;
    std::string strDisplayName;
    const bool bUsable = ExpectedSlots(strInput, &vecSlots, &strDisplayName);
    if (bUsable) {
        FUZZ_CHECK(model.GetDisplayName() == strDisplayName);
    } else {
        vecSlots.assign(5, Slot());
        pugi::xml_document written;
        FUZZ_CHECK(written.load_file(fuzzsupport::RealPath(kSettings).c_str()));
        FUZZ_CHECK(written.child("root_remote_phonebook"));
    }
    FUZZ_CHECK(model.GetTotalConfigurableItemCount() == 5);
    bool bAnyConfigured = false;
    for (int i = 0; i < 5; ++i) {
        const Slot& slot = vecSlots[static_cast<std::size_t>(i)];
        FUZZ_CHECK(model.GetConfiguredItemName(i) == slot.strName);
        FUZZ_CHECK(model.GetConfiguredItemUrl(i) == slot.strUrl);
        const bool bConfigured = !slot.strName.empty() || !slot.strUrl.empty();
        FUZZ_CHECK(model.IsItemConfigured(i) == bConfigured);
        bAnyConfigured = bAnyConfigured || bConfigured;
        if (!slot.strFullUrl.empty()) {
            std::string strCut = slot.strUrl;
            // The first slot of a URL answers for it.
            bool bFirst = true;
            for (int j = 0; j < i; ++j) {
                bFirst = bFirst && vecSlots[static_cast<std::size_t>(j)].strUrl != slot.strUrl;
            }
            FUZZ_CHECK(!bFirst || model.GetFulUrl(strCut) == slot.strFullUrl);
            FUZZ_CHECK(!bFirst || model.IsSearchContact(slot.strUrl));
        }
    }
    FUZZ_CHECK(model.IsRemotePhoneBookConfigured() == bAnyConfigured);
    FUZZ_CHECK(!model.IsItemConfigured(-1) && !model.IsItemConfigured(5));
    FUZZ_CHECK(HostControl::PendingActionCount() == 0);
    return 0;
}
