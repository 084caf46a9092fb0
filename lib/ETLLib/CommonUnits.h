#pragma once
// Phone resources: rings, photos, digit keys, the last error id and status items.
//
// Stored path form (what the contact files keep): a file in the user upload folder of its kind is stored as
// "Config:<name>", a file in the built-in folder as "Resource:<name>"; every other path is stored as it is.
// Hide2Real turns a stored form back into the real path, so Real2Hide followed by Hide2Real round-trips.

#include <string>

enum PHFileType : int { PHFILE_TYPE_PHOTO = 1, PHFILE_TYPE_RING = 3 };

// Built-in folders (phone paths; map with ETL_MiscHelper::pathMapToRoot before opening).
std::string CommonUnits_GetDefaultRingFolder();      // "/phone/resource/ring/"
std::string CommonUnits_GetUserUploadRingFolder();   // "/config/data/ring/"
std::string CommonUnits_GetDefaultPhotoFolder();     // "/phone/resource/photo/"
std::string CommonUnits_GetUserUploadPhotoFolder();  // "/config/data/photo/"
std::string CommonUnits_GetDefaultContactImage();    // "/phone/resource/photo/default_contact.png"
// The built-in contact picture number 1 to 8 ("/phone/resource/photo/contact_01.png"); "" otherwise.
std::string CommonUnits_GetImagePathByIndex(int nIndex);

// True for a non-empty path of an existing file.
bool CommonUnits_IsRingExist(const std::string& strPath);
bool CommonUnits_IsContactImageExist(const std::string& strPath);

// In-place conversions between the stored and the real form of a ring (type 3) or photo (type 1) path.
// False, with the path unchanged, for any other type.
bool CommonUnits_Hide2Real(std::string& strPath, int nFileType);
bool CommonUnits_Real2Hide(std::string& strPath, int nFileType);

// The digit-key form of a name. The name is folded as the string match folds it (case, accents and
// compatibility forms: "Müller" is "muller", "Straße" is "strasse", "Ø" is "o"), then each letter becomes
// the key it is printed on and digits and "*#+" stay; everything else (spaces, punctuation, letters of
// other scripts, ill-formed bytes) is dropped. The keys:
//   Latin     2 abc æ   3 def   4 ghi   5 jkl   6 mno œ   7 pqrs   8 tuv   9 wxyz
//   Cyrillic  2 абвг ґ  3 дежз ё є  4 ийкл і ї  5 мноп  6 рсту ў  7 фхцч  8 шщъы  9 ьэюя
//   Greek     2 αβγ  3 δεζ  4 ηθι  5 κλμ  6 νξο  7 πρσς  8 τυφ  9 χψω
// So "Müller" gives "685537", "Straße" "7872773", "Иван" "4225" and "Σοφία" "76842".
std::string CommonUnits_ToKeyString(const std::string& strName);

// The last error id recorded by a refusing operation (0 until one is recorded).
void CommonUnits_SetErrorId(int nErrorId);
int CommonUnits_GetErrorId();

// Removes a phone status item (an icon on the status bar). Removing an absent item does nothing.
void CommonUnits_AddStatus(int nStatusId);
void CommonUnits_RemoveStatus(int nStatusId);
bool CommonUnits_HasStatus(int nStatusId);
