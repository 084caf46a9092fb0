#include "ContactRemoteParserDelegator.h"

#include <cstring>

#include "ContactRemoteMenuParser.h"
#include "ContactRemoteMixedParser.h"
#include "ContactRemoteUnitParser.h"

namespace NS_DIRECTORY {

namespace {

bool NameEndsWith(const char* pName, const std::string& strMask) {
    const std::size_t nLength = std::strlen(pName);
    return nLength >= strMask.size() &&
           strMask.compare(0, strMask.size(), pName + nLength - strMask.size()) == 0;
}

}  // namespace

pugi::xml_node FindRootNodeByMask(pugi::xml_document& doc, const std::string& strMask) {
    for (pugi::xml_node node = doc.first_child(); node; node = node.next_sibling()) {
        if (NameEndsWith(node.name(), strMask)) {
            return node;
        }
    }
    return pugi::xml_node();
}

CContactRemoteParserDelegator::CContactRemoteParserDelegator() : m_pParser(new CContactRemoteMenuParser()) {}

void CContactRemoteParserDelegator::ToMenuParser() {
    m_pParser.reset(new CContactRemoteMenuParser());
}

void CContactRemoteParserDelegator::ToUnitParser() {
    m_pParser.reset(new CContactRemoteUnitParser());
}

void CContactRemoteParserDelegator::ToMixedParser() {
    m_pParser.reset(new CContactRemoteMixedParser());
}

bool CContactRemoteParserDelegator::Parse(const std::string& strFile, const std::string& strUrl,
                                          pugi::xml_node root) {
    if (root.empty()) {
        return false;
    }
    return m_pParser->Parse(strFile, strUrl, root);
}

pugi::xml_node CContactRemoteParserDelegator::ChooseParserFor(pugi::xml_document& doc) {
    for (pugi::xml_node node = doc.first_child(); node; node = node.next_sibling()) {
        if (NameEndsWith(node.name(), "IPPhoneMenu")) {
            ToMenuParser();
            return node;
        }
        if (NameEndsWith(node.name(), "IPPhoneDirectory")) {
            ToUnitParser();
            return node;
        }
        if (NameEndsWith(node.name(), "IPPhoneBook")) {
            ToMixedParser();
            return node;
        }
    }
    return pugi::xml_node();
}

}  // namespace NS_DIRECTORY
