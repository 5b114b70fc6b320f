#include "KxwDomHtmlElementGeneric.h"

#include "KxwJswClassInformation.h"
#include "KxwUtilTagName.h"

namespace {

const KxwJswPropertySpec katNoProperties[] = {{nullptr, 0, 0, nullptr}};
const KxwJswMethodSpec katNoMethods[] = {{nullptr, nullptr, nullptr, 0}};

}  // namespace

KxwDomHtmlElement_Generic::KxwDomHtmlElement_Generic(KxwDomHtmlDocument* mptOwnerDocument,
                                                     const KxwUtilTagName& mrtTagName, bool mbUseMemMgr)
    : KxwDomHtmlElement(mptOwnerDocument,
                        mrtTagName.GetSubtype() == KXW_DOM_COMMON_NODE_SUBTYPE_NAMESPACED_ELEMENT
                            ? KXW_DOM_COMMON_NODE_SUBTYPE_NAMESPACED_ELEMENT
                            : KXW_DOM_COMMON_NODE_SUBTYPE_GENERIC_ELEMENT,
                        mbUseMemMgr),
      _tTagName(GetDomEnv()) {
    _tTagName.SetDcs(mrtTagName.GetTagNameDcsStr(), mrtTagName.GetTagNameDcsLenInBytes());
}

const char16_t* KxwDomHtmlElement_Generic::GetNodeNameU16n(unsigned* mpuLenInChars) const {
    const char16_t* pwsfName = _tTagName.GetU16nStr();
    if (mpuLenInChars) *mpuLenInChars = pwsfName ? _tTagName.GetU16nLenInChars() : 0;
    return pwsfName ? pwsfName : u"";
}

const char* KxwDomHtmlElement_Generic::GetTagNameDcsStr() const {
    const char* psfName = _tTagName.GetDcsStr();
    return psfName ? psfName : "";
}

unsigned KxwDomHtmlElement_Generic::GetTagNameDcsLenInBytes() const {
    return _tTagName.GetDcsStr() ? _tTagName.GetDcsLenInBytes() : 0;
}

const char16_t* KxwDomHtmlElement_Generic::GetScopeNameU16nStr(unsigned* mpuLenInChars) const {
    if (GetNodeSubtype() != KXW_DOM_COMMON_NODE_SUBTYPE_NAMESPACED_ELEMENT)
        return KxwDomHtmlElement::GetScopeNameU16nStr(mpuLenInChars);
    // The prefix is the start of the name, up to its colon.
    unsigned uLen = 0;
    const char16_t* pwsfName = GetNodeNameU16n(&uLen);
    unsigned uPrefixLen = 0;
    while (uPrefixLen < uLen && pwsfName[uPrefixLen] != u':') ++uPrefixLen;
    if (mpuLenInChars) *mpuLenInChars = uPrefixLen;
    return pwsfName;
}

const KxwJswClassInformation* KxwDomHtmlElement_Generic::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(&GetElementClassInformation(), "_generic", katNoProperties,
                                                    katNoMethods);
    return &ktClassInfo;
}

KxwDomHtmlElement* KxwDomHtmlElement_Generic::MakeEmptyClone(KxwDomHtmlDocument& mrtDocument) {
    KxwUtilTagName tTagName(GetTagNameDcsStr(), GetTagNameDcsLenInBytes());
    return AllocElement(tTagName, &mrtDocument, false);
}
