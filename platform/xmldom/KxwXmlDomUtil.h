// Small helpers the XML objects share: texts between libxml2 (UTF-8) and the interface (UTF-16), the arguments
// scripts pass, names, and a walk over a subtree that needs no recursion (trees built by scripts have no depth
// limit).
#pragma once

#include <libxml/tree.h>

#include <cstdint>
#include <string>

#include "KxwAutomation.h"

std::u16string xfdsKxwXmlDomU16(const xmlChar* mpszText);
std::u16string xfdsKxwXmlDomU16(const std::string& mrdsText);
// Lone surrogates become U+FFFD: libxml2 takes only well-formed UTF-8.
std::string xfdsKxwXmlDomUtf8(const std::u16string& mrdsText);
inline const xmlChar* xfpKxwXmlDomChars(const std::string& mrdsText) {
    return reinterpret_cast<const xmlChar*>(mrdsText.c_str());
}
// A libxml2 text the caller must free, taken over (null becomes "").
std::string xfdsKxwXmlDomTakeChars(xmlChar* mpszText);

bool xfbKxwXmlDomIsBlank(const xmlChar* mpszText);
bool xfbKxwXmlDomIsBlankChar(char16_t mc);
// The name with its prefix ("x:item"), as nodeName, tagName and getElementsByTagName see it.
std::string xfdsKxwXmlDomQualifiedName(const xmlNode* mptNode);
// Whether the name is a well-formed XML name (createElement and the like refuse others).
bool xfbKxwXmlDomIsName(const std::string& mrdsName);

// The arguments of a call: each answers KXW_AUTO_S_OK, or the failure with the reason in mrdsError. A missing
// argument is KXW_AUTO_E_INVALIDARG, an object where a text or number is wanted KXW_AUTO_E_TYPEMISMATCH.
KxwAutoResult xflKxwXmlDomArgText(const KxwAutoArgs& mrtArgs, size_t mnIndex, const char* mpszWhat,
                                  std::string& mrdsUtf8, std::string& mrdsError);
KxwAutoResult xflKxwXmlDomArgInt(const KxwAutoArgs& mrtArgs, size_t mnIndex, const char* mpszWhat, int32_t& mriValue,
                                 std::string& mrdsError);
KxwAutoResult xflKxwXmlDomArgBool(const KxwAutoArgs& mrtArgs, size_t mnIndex, const char* mpszWhat, bool& mrbValue,
                                  std::string& mrdsError);
// A value put to a text property: texts and numbers, not objects.
KxwAutoResult xflKxwXmlDomValueText(const KxwAutoValue& mrtValue, const char* mpszWhat, std::string& mrdsUtf8,
                                    std::string& mrdsError);

// The next node of a pre-order walk of the subtree under mptRoot (children and siblings, not attributes), or null
// after the last.
inline xmlNode* xfptKxwXmlDomNextInTree(xmlNode* mptNode, const xmlNode* mptRoot) {
    if (mptNode->children && mptNode->type != XML_ENTITY_REF_NODE && mptNode->type != XML_DTD_NODE &&
        mptNode->type != XML_ATTRIBUTE_NODE)
        return mptNode->children;
    while (mptNode && mptNode != mptRoot) {
        if (mptNode->next) return mptNode->next;
        mptNode = mptNode->parent;
    }
    return nullptr;
}

// Calls mfVisit for every node of the subtree, the root and the elements' attributes and their text included;
// stops when it answers false.
template <typename TVisit>
bool xfbKxwXmlDomVisitAll(xmlNode* mptRoot, TVisit mfVisit) {
    auto fVisitAttributes = [&](xmlNode* mptNode) {
        if (mptNode->type != XML_ELEMENT_NODE) return true;
        for (xmlAttr* ptAttr = mptNode->properties; ptAttr; ptAttr = ptAttr->next) {
            if (!mfVisit(reinterpret_cast<xmlNode*>(ptAttr))) return false;
            for (xmlNode* ptText = ptAttr->children; ptText; ptText = ptText->next)
                if (!mfVisit(ptText)) return false;
        }
        return true;
    };
    if (mptRoot->type == XML_ATTRIBUTE_NODE) {
        if (!mfVisit(mptRoot)) return false;
        for (xmlNode* ptText = mptRoot->children; ptText; ptText = ptText->next)
            if (!mfVisit(ptText)) return false;
        return true;
    }
    for (xmlNode* ptNode = mptRoot; ptNode; ptNode = xfptKxwXmlDomNextInTree(ptNode, mptRoot)) {
        if (!mfVisit(ptNode) || !fVisitAttributes(ptNode)) return false;
    }
    return true;
}
