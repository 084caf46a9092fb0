#pragma once
// The contact file as pugixml saves it (one tab per level) for a document of the given contacts built
// attribute by attribute, each path in its stored form: what every save of the store must write, byte for
// byte. Header-only, so the fuzz drivers can use it without the test libraries.

#include <sstream>
#include <string>

#include <pugixml.hpp>

#include "CommonUnits.h"
#include "ContactGeneralModel.h"

namespace testsupport {

inline std::string ContactFileSavedByPugixml(const NS_DIRECTORY::CContactGeneralModel::ItemList& listItems) {
    pugi::xml_document doc;
    pugi::xml_node declaration = doc.append_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "utf-8";
    pugi::xml_node root = doc.append_child("root_contact");
    const auto stored = [](std::string strPath, int nFileType) {
        CommonUnits_Real2Hide(strPath, nFileType);
        return strPath;
    };
    for (const auto& pItem : listItems) {
        pugi::xml_node node = root.append_child("contact");
        const auto add = [&node](const char* pName, const std::string& strValue) {
            node.append_attribute(pName) = strValue.c_str();
        };
        add("display_name", pItem->m_strDisplayName);
        add("office_number", pItem->m_strOfficeNumber);
        add("mobile_number", pItem->m_strMobileNumber);
        add("other_number", pItem->m_strOtherNumber);
        add("line", std::to_string(pItem->m_nLine));
        add("ring", stored(pItem->m_strRing, PHFILE_TYPE_RING));
        add("group_id_name", std::to_string(pItem->m_nGroupId));
        add("default_photo", stored(pItem->m_strDefaultPhoto, PHFILE_TYPE_PHOTO));
        add("selected_photo", std::to_string(pItem->m_nSelectedPhoto));
        add("is_favorate", pItem->m_bFavorate ? "1" : "0");
        add("name_index", pItem->m_strNameIndex);
    }
    std::ostringstream out;
    doc.save(out, "\t", pugi::format_indent, pugi::encoding_auto);
    return out.str();
}

}  // namespace testsupport
