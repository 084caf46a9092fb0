// Phone resources: stored path forms, resource lookups and the last error id (digit keys: UnicodeText).

#include <gtest/gtest.h>

#include "CommonUnits.h"
#include "HostControl.h"
#include "TempRoot.h"

namespace {

using CommonUnitsTest = testsupport::HostFixture;

TEST(CommonUnitsPaths, StoredFormRoundTrips) {
    const struct {
        std::string real;
        int type;
        std::string stored;
    } cases[] = {
        {CommonUnits_GetUserUploadRingFolder() + "office.wav", PHFILE_TYPE_RING, "Config:office.wav"},
        {CommonUnits_GetDefaultRingFolder() + "Ring1.wav", PHFILE_TYPE_RING, "Resource:Ring1.wav"},
        {CommonUnits_GetUserUploadPhotoFolder() + "me.jpg", PHFILE_TYPE_PHOTO, "Config:me.jpg"},
        {CommonUnits_GetDefaultPhotoFolder() + "contact_01.png", PHFILE_TYPE_PHOTO,
         "Resource:contact_01.png"},
        {"/media/usb/song.wav", PHFILE_TYPE_RING, "/media/usb/song.wav"},
        {CommonUnits_GetUserUploadRingFolder() + "sub/x.wav", PHFILE_TYPE_RING,
         CommonUnits_GetUserUploadRingFolder() + "sub/x.wav"},
        {"", PHFILE_TYPE_RING, ""},
    };
    for (const auto& c : cases) {
        std::string path = c.real;
        ASSERT_TRUE(CommonUnits_Real2Hide(path, c.type));
        EXPECT_EQ(path, c.stored);
        ASSERT_TRUE(CommonUnits_Hide2Real(path, c.type));
        EXPECT_EQ(path, c.real);
    }
    std::string ringAsPhoto = CommonUnits_GetUserUploadRingFolder() + "a.wav";
    CommonUnits_Real2Hide(ringAsPhoto, PHFILE_TYPE_PHOTO);
    EXPECT_EQ(ringAsPhoto, CommonUnits_GetUserUploadRingFolder() + "a.wav") << "a ring path is no photo";
    std::string unknownType = "Config:a.wav";
    EXPECT_FALSE(CommonUnits_Hide2Real(unknownType, 2));
    EXPECT_EQ(unknownType, "Config:a.wav");
}

TEST_F(CommonUnitsTest, ResourcesErrorIdAndStatusItems) {
    const std::string ring = CommonUnits_GetUserUploadRingFolder() + "office.wav";
    EXPECT_FALSE(CommonUnits_IsRingExist(ring));
    m_root.WriteFile(ring, "RIFF");
    EXPECT_TRUE(CommonUnits_IsRingExist(ring));
    EXPECT_FALSE(CommonUnits_IsRingExist(CommonUnits_GetUserUploadRingFolder())) << "a folder is no ring";
    EXPECT_FALSE(CommonUnits_IsContactImageExist(""));
    EXPECT_EQ(CommonUnits_GetImagePathByIndex(1), CommonUnits_GetDefaultPhotoFolder() + "contact_01.png");
    EXPECT_EQ(CommonUnits_GetImagePathByIndex(0), "");
    EXPECT_EQ(CommonUnits_GetImagePathByIndex(9), "");

    EXPECT_EQ(CommonUnits_GetErrorId(), 0) << "a fresh host has no error";
    CommonUnits_SetErrorId(-13);
    EXPECT_EQ(CommonUnits_GetErrorId(), -13);
    CommonUnits_AddStatus(18);
    EXPECT_TRUE(CommonUnits_HasStatus(18));
    CommonUnits_RemoveStatus(18);
    CommonUnits_RemoveStatus(18);
    EXPECT_FALSE(CommonUnits_HasStatus(18));
    EXPECT_EQ(HostControl::TakeRemovedStatuses(), (std::vector<int>{18, 18}));
    CommonUnits_AddStatus(7);
    HostControl::Reset();
    EXPECT_FALSE(CommonUnits_HasStatus(7)) << "a fresh host has no status items";
    EXPECT_EQ(CommonUnits_GetErrorId(), 0);
}

}  // namespace
