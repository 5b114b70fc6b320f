#include "KxwDomCoreElement.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "KxwDomAttributeCollection.h"
#include "KxwDomBindingUtil.h"
#include "KxwDomCoreAttribute.h"
#include "KxwDomCoreDocument.h"
#include "KxwDomHtmlElement.h"
#include "KxwDomNodeCollections.h"
#include "KxwDomPropertyInfo.h"
#include "KxwDomScriptCall.h"
#include "KxwDomWatchDelete.h"
#include "KxwJswCallArgs.h"
#include "KxwJswClassInformation.h"
#include "KxwUtilStrCompare.h"
#include "KxwMemMgr.h"
#include "KxwU16nHandler.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwEnvCfg.h"

namespace {

// Tiny ids of "coreelement" as the class receives them (217 to 221).
enum : short {
    kIdChildren = -39,
    kIdTagName = -38,
    kIdAttributes = -37,
    kIdParentNode = -36,
    kIdUniqueID = -35,
};
// The style property of the HTML elements (222): read-only, yet setAttribute on it is silently accepted.
constexpr short kIdStyle = -34;
constexpr unsigned kNoWindowUniqueNumber = 999999;

// Declared names are ASCII: other characters become '?', which no declared name holds.
std::string NarrowName(const char16_t* mpwsfName, unsigned muLen) {
    std::string dsName(muLen, '?');
    for (unsigned n = 0; n < muLen; ++n)
        if (mpwsfName[n] > 0 && mpwsfName[n] < 0x80) dsName[n] = static_cast<char>(mpwsfName[n]);
    return dsName;
}

std::u16string LowerCaseName(const char16_t* mpwsfName, unsigned muLen) {
    std::u16string dsName(mpwsfName, muLen);
    xfbKxwUtilToLowerCase(dsName.data(), dsName.size());
    return dsName;
}

// One counter per owner document, until windows keep their own: an entry dies with its document.
struct KxwUniqueIdCounter {
    std::unique_ptr<KxwDomWatchDelete> _ptWatch;
    unsigned _uCounter = 0;
};

unsigned NextUniqueNumber(KxwDomCoreDocument* mptDocument) {
    if (!mptDocument) return kNoWindowUniqueNumber;
    thread_local std::vector<KxwUniqueIdCounter> tCounters;
    KxwUniqueIdCounter* ptFound = nullptr;
    for (size_t n = 0; n < tCounters.size();) {
        if (tCounters[n]._ptWatch->HasBeenDeleted()) {
            tCounters.erase(tCounters.begin() + static_cast<long>(n));
            continue;
        }
        if (tCounters[n]._ptWatch->GetEffectiveWatchedPtr() == mptDocument) ptFound = &tCounters[n];
        ++n;
    }
    if (!ptFound) {
        tCounters.push_back(
            KxwUniqueIdCounter{std::make_unique<KxwDomWatchDelete>("KxwDomCoreElement::GetUniqueID", mptDocument), 0});
        ptFound = &tCounters.back();
    }
    return ++ptFound->_uCounter;
}

void InvalidArgs(const char* mpszCallback, KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    if (xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile("Invalid arguments for KxwDomCoreElement::%s: this=%p, miArgc=%d, mpatArgv=%p",
                                    mpszCallback, static_cast<void*>(mptUserObj), static_cast<int>(mrtArgs.Length()),
                                    mrtArgs.GetRaw());
}

// The element and the name of a call, or false when the call is malformed (reported, result null).
bool ElementAndName(const char* mpszCallback, KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs,
                    KxwDomCoreElement*& mrptElement, std::u16string& mrdsName) {
    mrptElement = KxwDomScriptThis<KxwDomCoreElement>::Of(mptUserObj);
    if (!mrptElement || mrtArgs.Length() == 0) {
        InvalidArgs(mpszCallback, mptUserObj, mrtArgs);
        KxwJsval tNull;
        tNull.SetNull();
        mrtArgs.SetResult(tNull);
        return false;
    }
    // A name whose conversion throws: nothing happens, and the exception goes on to the script.
    return mrtArgs.GetStringU16n(0, mrdsName);
}

// The flags argument, or the default; false when its conversion throws.
bool FlagsArg(KxwJswCallArgs& mrtArgs, unsigned muIndex, int miDefault, int32_t& mriFlags) {
    mriFlags = miDefault;
    if (mrtArgs.Length() <= muIndex || mrtArgs.Get(muIndex).IsUndefined()) return true;
    return mrtArgs.Get(muIndex).ToInt32(mriFlags, mrtArgs.GetContext());
}

bool getAttribute_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwDomCoreElement* ptElement;
    std::u16string dsName;
    int32_t iFlags;
    if (!ElementAndName("getAttribute_callback", mptUserObj, mrtArgs, ptElement, dsName)) return true;
    if (!FlagsArg(mrtArgs, 1, 0, iFlags)) return false;
    KxwJsval tResult;
    ptElement->GetAttribute(dsName.data(), static_cast<unsigned>(dsName.size()), iFlags, tResult);
    mrtArgs.SetResult(tResult);
    return true;
}

bool setAttribute_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwDomCoreElement* ptElement;
    std::u16string dsName;
    int32_t iFlags;
    if (!ElementAndName("setAttribute_callback", mptUserObj, mrtArgs, ptElement, dsName)) return true;
    if (!FlagsArg(mrtArgs, 2, 1, iFlags)) return false;
    bool bRC = ptElement->SetAttribute(dsName.data(), static_cast<unsigned>(dsName.size()), mrtArgs.Get(1), iFlags);
    mrtArgs.SetResult(KxwJsval());
    return bRC;
}

bool removeAttribute_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwDomCoreElement* ptElement;
    std::u16string dsName;
    int32_t iFlags;
    if (!ElementAndName("removeAttribute_callback", mptUserObj, mrtArgs, ptElement, dsName)) return true;
    if (!FlagsArg(mrtArgs, 1, 1, iFlags)) return false;
    KxwJsval tResult;
    tResult.SetBoolean(ptElement->RemoveAttribute(dsName.data(), static_cast<unsigned>(dsName.size()), iFlags));
    mrtArgs.SetResult(tResult);
    return true;
}

void SetNodeResult(KxwJswCallArgs& mrtArgs, KxwDomBase* mptNode) {
    KxwJsval tResult;
    if (!mptNode || !tResult.SetDomObject(mptNode)) tResult.SetNull();
    mrtArgs.SetResult(tResult);
}

bool getAttributeNode_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwDomCoreElement* ptElement;
    std::u16string dsName;
    if (!ElementAndName("getAttributeNode_callback", mptUserObj, mrtArgs, ptElement, dsName)) return true;
    SetNodeResult(mrtArgs, ptElement->GetAttributeNode(dsName.data(), static_cast<unsigned>(dsName.size())));
    return true;
}

bool setAttributeNode_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    auto* ptElement = KxwDomScriptThis<KxwDomCoreElement>::Of(mptUserObj);
    KxwJswUserObjBase* ptArg = mrtArgs.Length() > 0 ? mrtArgs.Get(0).GetRawDomObject() : nullptr;
    auto* ptAttr = dynamic_cast<KxwDomCoreAttribute*>(ptArg);
    KxwDomCoreAttribute* ptReplaced = nullptr;
    if (!ptElement || !ptAttr || !ptElement->SetAttributeNode(ptAttr, ptReplaced)) {
        // Only a free attribute node can be put on an element.
        xfvKxwUtilReportInternalErrorBySevLvl(xfeKxwUtilJavaScriptErrorSevLvl(),
                                              "Invalid argument for setAttributeNode: an attribute node without an "
                                              "owner element is expected (this=%p, argument=%p)",
                                              static_cast<void*>(mptUserObj), static_cast<void*>(ptArg));
        SetNodeResult(mrtArgs, nullptr);
        return false;
    }
    SetNodeResult(mrtArgs, ptReplaced);
    return true;
}

const KxwJswPropertySpec katCoreElementProperties[] = {
    {"children", 217, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY, nullptr},
    {"tagName", 218, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY, nullptr},
    {"attributes", 219, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY, nullptr},
    {"parentNode", 220, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY, nullptr},
    {"uniqueID", 221, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY, nullptr},
    {nullptr, 0, 0, nullptr},
};
const KxwJswMethodSpec katCoreElementMethods[] = {
    {"getAttribute", nullptr, nullptr, 2, getAttribute_callback},
    {"setAttribute", nullptr, nullptr, 3, setAttribute_callback},
    {"removeAttribute", nullptr, nullptr, 2, removeAttribute_callback},
    {"getAttributeNode", nullptr, nullptr, 1, getAttributeNode_callback},
    {"setAttributeNode", nullptr, nullptr, 1, setAttributeNode_callback},
    {nullptr, nullptr, nullptr, 0},
};

}  // namespace

KxwDomCoreElement::KxwDomCoreElement(KxwDomCoreDocument* mptOwnerDocument, KxwMemMgr* mptMemMgr,
                                     KXW_DOM_COMMON_NODE_SUBTYPE_ENUM meNodeSubtype)
    : KxwDomEventTarget(mptOwnerDocument, mptMemMgr, KXW_DOM_COMMON_NODE_TYPE_ELEMENT, meNodeSubtype),
      _eSubtype(meNodeSubtype),
      _tAdditionalAttrs(GetDomEnv()) {}

KxwDomCoreElement::~KxwDomCoreElement() {
    if (_ptAttributeCollection) {
        KxwDomAttributeCollection* ptCollection = _ptAttributeCollection;
        _ptAttributeCollection = nullptr;
        delete ptCollection;
    }
    if (_ptUniqueID) {
        KxwMemMgr* ptMemMgr = GetMemMgr();
        _ptUniqueID->~KxwDomHtmlPropertyStr();
        if (ptMemMgr)
            ptMemMgr->Free(_ptUniqueID);
        else
            std::free(_ptUniqueID);
    }
}

bool KxwDomCoreElement::AddParsedAttr(const char* mpszNameDcsStr, const char* mpszValueDcsStrOrNULL) {
    return _tAdditionalAttrs.AddParsedAttr(mpszNameDcsStr, mpszValueDcsStrOrNULL);
}

void KxwDomCoreElement::GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const {
    GenerateHtmlEventHandlers(mrtText);
    // A handler attribute became the element's listener when it was parsed: the listener, written above, is what
    // the element has now, so the attribute as parsed is not written again.
    auto IsHandlerOfListener = [](const KxwDomAdditionalAttrCollection::Attr& mrtAttr, const void* mpvElement) {
        const char* psfName = mrtAttr.GetNameDcsStr();
        unsigned uLen = mrtAttr.GetNameDcsLenInBytes();
        if (!psfName || uLen < 3 || (psfName[0] | 0x20) != 'o' || (psfName[1] | 0x20) != 'n' ||
            !mrtAttr.IsValueDcsPresent())
            return false;
        auto* ptElement = const_cast<KxwDomCoreElement*>(static_cast<const KxwDomCoreElement*>(mpvElement));
        KXW_DOM_EVENT_TYPE_ENUM eType =
            ptElement->GetEventEnum("KxwDomCoreElement::GenerateHtmlProperties", psfName, uLen, false);
        return eType != KXW_DOM_EVENT_TYPE_ENUM_NONE && ptElement->CanRespondToEvent(eType);
    };
    _tAdditionalAttrs.GenerateHtmlProperties(mrtText, IsHandlerOfListener, this);
}

bool KxwDomCoreElement::GetPropertyByNameDcs(const char* mpsfNameDcsStr, unsigned muNameDcsLenInBytes,
                                             const char** mppsfValueDcsStr, unsigned* mpuValueDcsLenInBytes) {
    const char* psfValue = nullptr;
    unsigned uLen = 0;
    if (!mpsfNameDcsStr || muNameDcsLenInBytes == 0 ||
        !_tAdditionalAttrs.GetAttrValueDcs(mpsfNameDcsStr, muNameDcsLenInBytes, false, psfValue, uLen) || !psfValue)
        return false;
    if (mppsfValueDcsStr) *mppsfValueDcsStr = psfValue;
    if (mpuValueDcsLenInBytes) *mpuValueDcsLenInBytes = uLen;
    return true;
}

const KxwJswPropertySpec* KxwDomCoreElement::FindDeclaredProperty(const std::string& mdsName, bool mbIgnoreCase) const {
    const KxwJswClassInformation* ptClass = GetClassInformation();
    // A name with a NUL inside is no declared name.
    if (!ptClass || mdsName.empty() || mdsName.find('\0') != std::string::npos) return nullptr;
    return mbIgnoreCase ? ptClass->FindPropertyIgnoringCase(mdsName.c_str()) : ptClass->FindProperty(mdsName.c_str());
}

bool KxwDomCoreElement::FindOwnProperty(const char16_t* mpwsfName, unsigned muNameLen, bool mbIgnoreCase,
                                        std::u16string& mrdsFound) {
    KxwJsval tObj;
    if (!GetJsiObj() || !tObj.SetDomObject(this)) return false;
    if (!mbIgnoreCase) {
        if (!tObj.ItsOwnProperty(mpwsfName, muNameLen)) return false;
        mrdsFound.assign(mpwsfName, muNameLen);
        return true;
    }
    KxwDomNameIndex<char16_t>* ptIndex = _tAdditionalAttrs.GetDumpedNames(false);
    if (!ptIndex && !_bOwnNameWithCapital) {
        // All own names are in lower case: at most one can match, the lower-case spelling of the name asked.
        mrdsFound = LowerCaseName(mpwsfName, muNameLen);
        return tObj.ItsOwnEnumerableProperty(mrdsFound.data(), static_cast<unsigned>(mrdsFound.size()));
    }
    if (!ptIndex) {
        std::vector<std::u16string> tNames;
        if (!tObj.GetOwnPropertyNames(tNames)) return false;
        if (tNames.size() <= kOwnPropertyIndexFrom) {
            for (const std::u16string& dsName : tNames) {
                if (!xfbKxwDomUtilU16EqualIgnoringAsciiCase(dsName.data(), dsName.size(), mpwsfName, muNameLen))
                    continue;
                mrdsFound = dsName;
                return true;
            }
            return false;
        }
        // Many attributes: their names are indexed once, in the engine's order, and AddProperty keeps the index.
        ptIndex = _tAdditionalAttrs.GetDumpedNames(true);
        for (const std::u16string& dsName : tNames) ptIndex->Add(dsName.data(), dsName.size(), nullptr);
    }
    // The first name of the group that the object still has: a script may have deleted some meanwhile.
    for (auto* ptEntry = ptIndex->FindFirstIgnoringCase(mpwsfName, muNameLen); ptEntry;) {
        auto* ptNext = KxwDomNameIndex<char16_t>::NextInGroup(ptEntry);
        if (tObj.ItsOwnProperty(ptEntry->Name(), ptEntry->_uLen)) {
            mrdsFound.assign(ptEntry->Name(), ptEntry->_uLen);
            return true;
        }
        ptIndex->Remove(ptEntry);
        ptEntry = ptNext;
    }
    return false;
}

void KxwDomCoreElement::ForgetOwnPropertyName(const std::u16string& mrdsName) {
    if (KxwDomNameIndex<char16_t>* ptIndex = _tAdditionalAttrs.GetDumpedNames(false))
        ptIndex->Remove(ptIndex->FindExact(mrdsName.data(), mrdsName.size()));
}

bool KxwDomCoreElement::SetDeclaredProperty(const KxwJswPropertySpec& mrtSpec, const KxwJsval& mrtValue) {
    KxwJsval tValue = mrtValue;
    const char* pszLetter = mrtSpec._pszTypeLetter;
    if (pszLetter && *pszLetter == 'S' && !tValue.IsString()) {
        // Attribute values are texts: the property receives what a script assignment would give it. A value
        // whose conversion throws changes nothing; the exception goes on to the calling script.
        std::u16string dsText;
        if (!tValue.ToStringU16n(dsText)) return false;
        tValue.SetStringU16n(dsText.data(), dsText.size());
    }
    return SetDomPropertyJsval(KxwJswClassInformation::DispatchId(mrtSpec._uTinyId), tValue);
}

bool KxwDomCoreElement::DumpAttributesToJsiObj() {
    if (_tAdditionalAttrs.IsEmpty()) return true;
    bool bHasJsiObj = GetJsiObj() != nullptr;
    KxwU16nHandler* ptHandler = GetU16nHandler() ? GetU16nHandler() : xfptKxwU16nHandlerGetDefault();
    bool bOK = true;
    while (const KxwDomAdditionalAttrCollection::Attr* ptAttr = _tAdditionalAttrs.GetFirstAttr()) {
        std::string dsName(ptAttr->GetNameDcsStr(), ptAttr->GetNameDcsLenInBytes());
        std::u16string dsValue;
        if (const char* psfValue = ptAttr->GetValueDcsStr()) {
            unsigned uLen = ptAttr->GetValueDcsLenInBytes();
            dsValue.resize(ptHandler->GetMaxU16nLenInChars(uLen));
            dsValue.resize(ptHandler->ConvertDcsToU16n(psfValue, uLen, dsValue.data(), dsValue.size()));
        } else if (const char16_t* pwsfValue = ptAttr->GetValueU16nStr()) {
            dsValue.assign(pwsfValue, ptAttr->GetValueU16nLenInChars());
        }
        KxwJsval tValue;
        tValue.SetStringU16n(dsValue.data(), dsValue.size());
        if (const KxwJswPropertySpec* ptSpec = FindDeclaredProperty(dsName, true)) {
            short nTinyId = KxwJswClassInformation::DispatchId(ptSpec->_uTinyId);
            bool bReadOnly = (ptSpec->_uFlags & KXW_JSW_PROP_READONLY) != 0;
            // The parsed style text is the one way a style attribute reaches the element.
            if (!bReadOnly || nTinyId == kIdStyle) SetDomPropertyJsval(nTinyId, tValue);
        } else if (bHasJsiObj) {
            std::u16string dsName16(ptHandler->GetMaxU16nLenInChars(dsName.size()), u'\0');
            dsName16.resize(
                ptHandler->ConvertDcsToU16n(dsName.data(), dsName.size(), dsName16.data(), dsName16.size()));
            KxwJsval tObj;
            if (!tObj.SetDomObject(this) || !tObj.DefineOwnProperty(dsName16.data(), dsName16.size(), tValue)) {
                xfvKxwUtilReportInternalErrorBySevLvl(
                    KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                    "JS_DefineUCProperty failed for name=\"%.1000s\", value=\"%.1000s\" in "
                    "KxwDomCoreElement::DumpAttributesToJsiObj for this=%p",
                    dsName.c_str(), ptAttr->GetValueDcsStr() ? ptAttr->GetValueDcsStr() : "", static_cast<void*>(this));
                bOK = false;
            }
        } else {
            // Without an engine the custom attributes have nowhere to go: keep them stored.
            return false;
        }
        _tAdditionalAttrs.RemoveFirstAttr();
    }
    return bOK;
}

void KxwDomCoreElement::GetAttribute(const char16_t* mpwsfName, unsigned muNameLen, int miFlags, KxwJsval& mrtResult) {
    mrtResult.SetNull();
    if (!mpwsfName || muNameLen == 0) return;
    DumpAttributesToJsiObj();
    bool bIgnoreCase = (miFlags & 1) == 0;
    std::string dsName = NarrowName(mpwsfName, muNameLen);
    if (const KxwJswPropertySpec* ptSpec = FindDeclaredProperty(dsName, bIgnoreCase)) {
        short nTinyId = KxwJswClassInformation::DispatchId(ptSpec->_uTinyId);
        KxwDomHtmlElement* ptHtmlElement = DownCastToElement();
        if (nTinyId == kIdStyle && ptHtmlElement && xfbKxwDomUtilIsNS()) {
            // Netscape answers the style attribute's text (Internet Explorer the style object).
            const KxwDomHtmlPropertyStr* ptStyleText = ptHtmlElement->GetStyleText();
            if (ptStyleText && ptStyleText->IsSpecified() && ptStyleText->GetU16nStr())
                mrtResult.SetStringU16n(ptStyleText->GetU16nStr(), ptStyleText->GetU16nLenInChars());
            return;
        }
        if (miFlags & 2) nTinyId = GetTinyIdForExactValueFromTinyId(static_cast<signed char>(nTinyId));
        if (!GetDomPropertyJsval(nTinyId, mrtResult)) {
            if (xfbKxwTraceEnabled())
                xfvKxwUtilReportTraceToFile(
                    "KxwDomCoreElement::GetDomPropertyInfo failed in "
                    "KxwDomCoreElement::getAttribute_callback cTinyId=%d, bIgnoreCase=%d, "
                    "name=%.100s, GetJsiObj()=%p, this=%p",
                    nTinyId, bIgnoreCase ? 1 : 0, dsName.c_str(), static_cast<void*>(PeekJsiObj()),
                    static_cast<void*>(this));
            mrtResult.SetNull();
        }
        if (mrtResult.IsUndefined()) mrtResult.SetNull();
        return;
    }
    if (bIgnoreCase && OwnNamesAreLowerCase()) {
        // At most the lower-case spelling matches: one lookup finds it and reads it.
        std::u16string dsLower = LowerCaseName(mpwsfName, muNameLen);
        KxwJsval tObj;
        if (!tObj.SetDomObject(this) || !tObj.GetOwnEnumerableProperty(dsLower.data(), dsLower.size(), mrtResult) ||
            mrtResult.IsUndefined())
            mrtResult.SetNull();
        return;
    }
    std::u16string dsFound;
    if (!FindOwnProperty(mpwsfName, muNameLen, bIgnoreCase, dsFound)) return;
    KxwJsval tObj;
    if (!tObj.SetDomObject(this) || !tObj.GetOwnProperty(dsFound.data(), dsFound.size(), mrtResult)) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "JS_GetProperty() failed for name=%.100s in KxwDomCoreElement::getAttribute_callback for this=%p",
            dsName.c_str(), static_cast<void*>(this));
        mrtResult.SetNull();
    }
    if (mrtResult.IsUndefined()) mrtResult.SetNull();
}

bool KxwDomCoreElement::SetAttribute(const char16_t* mpwsfName, unsigned muNameLen, const KxwJsval& mrtValue,
                                     int miFlags) {
    if (!mpwsfName || muNameLen == 0) return true;
    DumpAttributesToJsiObj();
    std::string dsName = NarrowName(mpwsfName, muNameLen);
    // Declared names are found as markup writes them, whatever the case: they play the case converter's role.
    if (const KxwJswPropertySpec* ptSpec = FindDeclaredProperty(dsName, true)) {
        short nTinyId = KxwJswClassInformation::DispatchId(ptSpec->_uTinyId);
        if (ptSpec->_uFlags & KXW_JSW_PROP_READONLY) {
            if (nTinyId == kIdStyle) {
                // Netscape takes the text as the new style; Internet Explorer ignores it.
                if (xfbKxwDomUtilIsNS()) {
                    KxwDomPropertyInfo tText(mrtValue);
                    SetDomPropertyInfo(nTinyId, tText);
                }
                return true;
            }
            ReportErrorWithJavaScriptLineNumber(false, -35942, dsName.c_str());
            return false;
        }
        if (!SetDeclaredProperty(*ptSpec, mrtValue) && xfbKxwTraceEnabled())
            xfvKxwUtilReportTraceToFile(
                "KxwDomCoreElement::SetDomPropertyInfo failed in "
                "KxwDomCoreElement::setAttribute_callback tiny id=\"%d\" GetJsiObj()=%p, "
                "this=%p",
                nTinyId, static_cast<void*>(PeekJsiObj()), static_cast<void*>(this));
        return true;
    }
    std::u16string dsTarget(mpwsfName, muNameLen);
    // Ignoring case, the value goes to the own property that matches; matching exactly (the default), that is the
    // name itself: nothing to look up.
    std::u16string dsFound;
    if ((miFlags & 1) == 0 && FindOwnProperty(mpwsfName, muNameLen, true, dsFound)) dsTarget = dsFound;
    KxwJsval tObj;
    if (!tObj.SetDomObject(this) || !tObj.DefineOwnProperty(dsTarget.data(), dsTarget.size(), mrtValue)) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "JS_DefineUCProperty failed in KxwDomCoreElement::setAttribute_callback tiny id=\"%d\" GetJsiObj()=%p, "
            "name=%.100s, value=%d, this=%p",
            127, static_cast<void*>(PeekJsiObj()), dsName.c_str(), 0, static_cast<void*>(this));
    }
    return true;
}

bool KxwDomCoreElement::RemoveAttribute(const char16_t* mpwsfName, unsigned muNameLen, int miFlags) {
    if (!mpwsfName || muNameLen == 0) return false;
    DumpAttributesToJsiObj();
    std::string dsName = NarrowName(mpwsfName, muNameLen);
    if (const KxwJswPropertySpec* ptSpec = FindDeclaredProperty(dsName, true)) {
        // A read-only property has nothing a script could remove.
        if (ptSpec->_uFlags & KXW_JSW_PROP_READONLY) return false;
        KxwJsval tEmpty;
        tEmpty.SetStringU16n(u"", 0);
        SetDeclaredProperty(*ptSpec, tEmpty);
        return true;
    }
    std::u16string dsFound;
    if (!FindOwnProperty(mpwsfName, muNameLen, (miFlags & 1) == 0, dsFound)) return false;
    KxwJsval tObj;
    if (!tObj.SetDomObject(this) || !tObj.DeleteOwnProperty(dsFound.data(), dsFound.size())) return false;
    if (tObj.ItsOwnProperty(dsFound.data(), static_cast<unsigned>(dsFound.size()))) return false;
    ForgetOwnPropertyName(dsFound);
    if (_ptAttributeCollection)
        KxwDomAttributeCollection::ReleaseFreeAttribute(
            _ptAttributeCollection->RemoveItemByName(dsFound.data(), static_cast<unsigned>(dsFound.size())));
    return true;
}

KxwDomAttributeCollection* KxwDomCoreElement::GetAttributeCollection() {
    if (_ptAttributeCollection) return _ptAttributeCollection;
    DumpAttributesToJsiObj();
    auto* ptCollection = new (GetDomEnv()) KxwDomAttributeCollection(GetDomEnv());
    if (!ptCollection)
        KxwUtilOutOfMemoryAbort(static_cast<long>(sizeof(KxwDomAttributeCollection)),
                                "KxwDomAttributeCollection for the attributes collection in "
                                "KxwDomCoreElement::CreateAttributeCollection");
    ptCollection->SetOwnerNode(this, "attributes");
    _ptAttributeCollection = ptCollection;
    KxwDomCoreDocument* ptDocument = GetOwnerDocument(false);
    auto Add = [&](const char16_t* mpwsfName, unsigned muLen, signed char mcTinyId) {
        if (ptCollection->AddAttributeNode(ptDocument, mpwsfName, muLen, mcTinyId, this)) return true;
        if (xfbKxwTraceEnabled())
            xfvKxwUtilReportTraceToFile(
                "AddAttributeNode in KxwDomCoreElement::CreateAttributeCollection _ptAttributeCollection=%p, "
                "PropName=%.100s, this=%p",
                static_cast<void*>(ptCollection), xfdsKxwDomUtilU16ToUtf8(mpwsfName, muLen).c_str(),
                static_cast<void*>(this));
        return false;
    };
    // Declared properties that markup can set, nearest class first, down to the event target's handlers; the node
    // classes' properties (nodeValue) and read-only ones are no attributes.
    const KxwJswClassInformation* ptNodeClass = &GetCoreNodeClassInformation();
    for (const KxwJswClassInformation* ptClass = GetClassInformation(); ptClass && ptClass != ptNodeClass;
         ptClass = ptClass->GetParent())
        for (const KxwJswPropertySpec* ptSpec = ptClass->GetProperties(); ptSpec && ptSpec->_pszName; ++ptSpec) {
            if (ptSpec->_uFlags & KXW_JSW_PROP_READONLY) continue;
            std::u16string dsName = xfdsKxwDomUtilUtf8ToU16(ptSpec->_pszName);
            if (!Add(dsName.data(), static_cast<unsigned>(dsName.size()),
                     static_cast<signed char>(KxwJswClassInformation::DispatchId(ptSpec->_uTinyId))))
                return _ptAttributeCollection;
        }
    KxwJsval tObj;
    std::vector<std::u16string> tNames;
    if (GetJsiObj() && tObj.SetDomObject(this) && tObj.GetOwnPropertyNames(tNames))
        for (const std::u16string& dsName : tNames)
            if (!Add(dsName.data(), static_cast<unsigned>(dsName.size()), KxwDomCoreAttribute::kCustomAttribute))
                return _ptAttributeCollection;
    AddExceptionalAttributesToCollection(*ptCollection);
    return _ptAttributeCollection;
}

bool KxwDomCoreElement::AddExceptionalAttributesToCollection(KxwDomAttributeCollection&) {
    return true;
}

KxwDomCoreAttribute* KxwDomCoreElement::GetAttributeNode(const char16_t* mpwsfName, unsigned muNameLen) {
    KxwDomAttributeCollection* ptCollection = GetAttributeCollection();
    return ptCollection ? ptCollection->FindByName(mpwsfName, muNameLen) : nullptr;
}

bool KxwDomCoreElement::SetAttributeNode(KxwDomCoreAttribute* mptAttrNode, KxwDomCoreAttribute*& mrptReplaced) {
    mrptReplaced = nullptr;
    if (!mptAttrNode || mptAttrNode->HasOwnerElement()) return false;
    KxwDomAttributeCollection* ptCollection = GetAttributeCollection();
    if (!ptCollection) return false;
    unsigned uLen = 0;
    const char16_t* pwsfName = mptAttrNode->GetNodeNameU16n(&uLen);
    mrptReplaced = ptCollection->RemoveItemByName(pwsfName, uLen);
    if (!ptCollection->AddAttributeNode(mptAttrNode, this)) return false;
    mptAttrNode->PushValueToOwnerElement();
    return true;
}

void KxwDomCoreElement::AddProperty(const KxwJsval& mrtName, KxwJsval&, unsigned char) {
    if (!mrtName.IsString()) return;
    if (!_bOwnNameWithCapital) _bOwnNameWithCapital = mrtName.IsStringWithAsciiCapital();
    KxwDomNameIndex<char16_t>* ptIndex = _tAdditionalAttrs.GetDumpedNames(false);
    if (!_ptAttributeCollection && !ptIndex) return;
    KxwJsval tName = mrtName;
    unsigned uLen = 0;
    const char16_t* pwsfName = tName.GetStringU16n(&uLen);
    if (!pwsfName || uLen == 0) return;
    if (ptIndex) {
        // A name added again was deleted meanwhile: the engine lists it last now, and so does the index.
        ptIndex->Remove(ptIndex->FindExact(pwsfName, uLen));
        ptIndex->Add(pwsfName, uLen, nullptr);
    }
    if (_ptAttributeCollection)
        _ptAttributeCollection->AddAttributeNode(GetOwnerDocument(false), pwsfName, uLen,
                                                 KxwDomCoreAttribute::kCustomAttribute, this);
}

KxwDomHtmlPropertyStr* KxwDomCoreElement::GetUniqueID() {
    if (_ptUniqueID) return _ptUniqueID;
    KxwMemMgr* ptMemMgr = GetMemMgr();
    void* pvBlock =
        ptMemMgr ? ptMemMgr->Alloc(sizeof(KxwDomHtmlPropertyStr), 8) : std::malloc(sizeof(KxwDomHtmlPropertyStr));
    if (!pvBlock)
        KxwUtilOutOfMemoryAbort(static_cast<long>(sizeof(KxwDomHtmlPropertyStr)),
                                "KxwDomHtmlPropertyStr in KxwDomCoreElement::GetUniqueID");
    _ptUniqueID = new (pvBlock) KxwDomHtmlPropertyStr(GetDomEnv());
    char acText[32];
    int iLen = std::snprintf(acText, sizeof acText, "ms__id%u", NextUniqueNumber(GetOwnerDocument(false)));
    _ptUniqueID->SetDcs(acText, static_cast<unsigned>(iLen));
    return _ptUniqueID;
}

bool KxwDomCoreElement::SetStringProperty(const char*, void*, unsigned, KXW_JSW_OBJ_PROP_TYPE_ENUM) {
    return true;
}

const KxwJswClassInformation& KxwDomCoreElement::GetCoreElementClassInformation() {
    static const KxwJswClassInformation ktClassInfo(&GetEventTargetClassInformation(), "coreelement",
                                                    katCoreElementProperties, katCoreElementMethods);
    return ktClassInfo;
}

const KxwJswClassInformation* KxwDomCoreElement::GetClassInformation() const {
    return &GetCoreElementClassInformation();
}

bool KxwDomCoreElement::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdChildren: {
            KxwDomHtmlCollectionGeneral* ptChildren = GetChildren();
            KxwJswUserObjBase* ptUserObj =
                ptChildren ? KxwDomNodeCollections::Current().ToUserObj(ptChildren) : nullptr;
            if (ptUserObj)
                mrtPropertyInfo = static_cast<const KxwJswUserObjBase*>(ptUserObj);
            else
                mrtPropertyInfo.AssignNull();
            return true;
        }
        case kIdTagName: {
            unsigned uLen = 0;
            const char16_t* pwsfName = GetNodeNameU16n(&uLen);
            mrtPropertyInfo.AssignU16nStr(pwsfName, uLen, true);
            return true;
        }
        case kIdAttributes:
            if (KxwDomAttributeCollection* ptCollection = GetAttributeCollection())
                mrtPropertyInfo = static_cast<const KxwJswUserObjBase*>(ptCollection);
            else
                mrtPropertyInfo.AssignNull();
            return true;
        case kIdParentNode:
            AssignDomParentNode(mrtPropertyInfo);
            return true;
        case kIdUniqueID:
            mrtPropertyInfo = *GetUniqueID();
            return true;
        default:
            if (mnTinyId < kIdChildren) return KxwDomEventTarget::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
            if (xfbKxwTraceEnabled())
                xfvKxwUtilReportTraceToFile("KxwDomCoreElement::GetDomPropertyInfo: Unsupported property ID (%d)",
                                            mnTinyId);
            mrtPropertyInfo.AssignUndefined();
            return false;
    }
}

bool KxwDomCoreElement::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId < kIdChildren) return KxwDomEventTarget::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    return xfbKxwDomUtilUnsupportedSetPropertyId("KxwDomCoreElement", mnTinyId);
}

// ---------------------------------------------------------------------------------------------------------------
// Descriptions of test steps

bool KxwDomCoreElement::GetDeclaredProperty(const char* mpszName, KxwDomPropertyInfo& mrtValue) {
    const KxwJswPropertySpec* ptSpec = FindDeclaredProperty(mpszName, true);
    return ptSpec && GetDomPropertyInfo(KxwJswClassInformation::DispatchId(ptSpec->_uTinyId), mrtValue);
}

bool KxwDomCoreElement::GetDeclaredPropertyBool(const char* mpszName, bool& mrbValue) {
    KxwDomPropertyInfo tInfo;
    if (!GetDeclaredProperty(mpszName, tInfo)) return false;
    if (tInfo.GetType() != KXW_DOM_PROPERTY_INFO_TYPE_BOOLEAN) return false;
    mrbValue = tInfo.GetBoolean();
    return true;
}

bool KxwDomCoreElement::GetDeclaredPropertyText(const char* mpszName, std::u16string& mrdsText) {
    KxwDomPropertyInfo tInfo;
    if (!GetDeclaredProperty(mpszName, tInfo)) return false;
    switch (tInfo.GetType()) {
        case KXW_DOM_PROPERTY_INFO_TYPE_STRING:
        case KXW_DOM_PROPERTY_INFO_TYPE_STRING_HELD_ELSEWHERE:
        case KXW_DOM_PROPERTY_INFO_TYPE_PROPERTY_STR: {
            const char16_t* pwsfText = tInfo.ConvertAndGetStringU16n();
            mrdsText.assign(pwsfText ? pwsfText : u"", pwsfText ? tInfo.ConvertAndGetStringU16nLength() : 0);
            return true;
        }
        default:
            return false;
    }
}

bool KxwDomCoreElement::GetDescribedText(const char* mpsfName, unsigned muNameLen, std::u16string& mrdsText) {
    if (!mpsfName || muNameLen == 0) return false;
    std::string dsName(mpsfName, muNameLen);
    const char16_t* pwsfValue = nullptr;
    unsigned uValueLen = 0;
    if (_tAdditionalAttrs.GetAttrValueU16n(dsName.c_str(), muNameLen, true, pwsfValue, uValueLen) && pwsfValue) {
        mrdsText.assign(pwsfValue, uValueLen);
        return true;
    }
    // The names whose attribute and property differ, as steps write them.
    const char* pszProperty = dsName.c_str();
    if (xfbKxwUtilIsEqualIgnoreCase(mpsfName, muNameLen, "class", 5))
        pszProperty = "className";
    else if (xfbKxwUtilIsEqualIgnoreCase(mpsfName, muNameLen, "for", 3))
        pszProperty = "htmlFor";
    if (GetDeclaredPropertyText(pszProperty, mrdsText)) return true;
    if (!PeekJsiObj()) return false;
    std::u16string dsName16(dsName.begin(), dsName.end());
    std::u16string dsFound;
    if (!FindOwnProperty(dsName16.data(), static_cast<unsigned>(dsName16.size()), true, dsFound)) return false;
    KxwJsval tObj, tValue;
    if (!tObj.SetDomObject(this) || !tObj.GetOwnDataProperty(dsFound.data(), dsFound.size(), tValue) ||
        !tValue.IsString())
        return false;
    unsigned uLen = 0;
    const char16_t* pwsfText = tValue.GetStringU16n(&uLen);
    if (!pwsfText) return false;
    mrdsText.assign(pwsfText, uLen);
    return true;
}
