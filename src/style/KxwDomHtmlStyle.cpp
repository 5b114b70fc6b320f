#include "KxwDomHtmlStyle.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "KxwDomBindingUtil.h"
#include "KxwDomHtmlElement.h"
#include "KxwDomPropertyInfo.h"
#include "KxwDomScriptCall.h"
#include "KxwJswClassInformation.h"
#include "KxwLayoutMgr.h"
#include "KxwUtilStrCompare.h"
#include "KxwUtilUtf.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwEnvCfg.h"
#include "kxw/KxwJsval.h"
#include "kxw/KxwiRunTimeSettings.h"

namespace {

// Tiny ids of "styleprop" (128 to 158) as the class receives them.
enum : short {
    kIdPosWidth = -128,
    kIdPixelLeft = -121,  // the last integer property
    kIdWidth = -120,
    kIdBackgroundColor = -108,
    kIdDisplay = -106,
    kIdCssText = -105,
    kIdDirection = -104,
    kIdFilter = -99,
    kIdStyleFloat = -98,  // the last stored text property
};

constexpr uint16_t kRW = KXW_JSW_PROP_PERMANENT;

const KxwJswPropertySpec katStyleProperties[] = {
    {"posWidth", 128, kRW, "i"},
    {"posHeight", 129, kRW, "i"},
    {"posTop", 130, kRW, "i"},
    {"posLeft", 131, kRW, "i"},
    {"pixelWidth", 132, kRW, "i"},
    {"pixelHeight", 133, kRW, "i"},
    {"pixelTop", 134, kRW, "i"},
    {"pixelLeft", 135, kRW, "i"},
    {"width", 136, kRW, "S"},
    {"height", 137, kRW, "S"},
    {"top", 138, kRW, "S"},
    {"left", 139, kRW, "S"},
    {"border", 140, kRW, "S"},
    {"padding", 141, kRW, "S"},
    {"margin", 142, kRW, "S"},
    {"marginLeft", 143, kRW, "S"},
    {"marginRight", 144, kRW, "S"},
    {"marginTop", 145, kRW, "S"},
    {"marginBottom", 146, kRW, "S"},
    {"color", 147, kRW, "S"},
    {"backgroundColor", 148, kRW, "S"},
    {"visibility", 149, kRW, "S"},
    {"display", 150, kRW, "S"},
    {"cssText", 151, kRW, "S"},
    {"direction", 152, kRW, "S"},
    {"borderLeftWidth", 153, kRW, "S"},
    {"borderRightWidth", 154, kRW, "S"},
    {"borderTopWidth", 155, kRW, "S"},
    {"borderBottomWidth", 156, kRW, "S"},
    {"filter", 157, kRW, "S"},
    // CSS float under the emulated browser's own name: libraries tell its style objects from others' by it.
    {"styleFloat", 158, kRW, "S"},
    {nullptr, 0, 0, nullptr},
};

bool setExpression_callback(KxwJswUserObjBase*, KxwJswCallArgs&);
bool getExpression_callback(KxwJswUserObjBase*, KxwJswCallArgs&);
bool removeExpression_callback(KxwJswUserObjBase*, KxwJswCallArgs&);
bool getAttribute_callback(KxwJswUserObjBase*, KxwJswCallArgs&);
bool setAttribute_callback(KxwJswUserObjBase*, KxwJswCallArgs&);
bool removeAttribute_callback(KxwJswUserObjBase*, KxwJswCallArgs&);
bool getAttributeNode_callback(KxwJswUserObjBase*, KxwJswCallArgs&);
bool getPropertyValue_callback(KxwJswUserObjBase*, KxwJswCallArgs&);

const KxwJswMethodSpec katStyleMethods[] = {
    {"setExpression", nullptr, nullptr, 3, setExpression_callback},
    {"getExpression", nullptr, nullptr, 1, getExpression_callback},
    {"removeExpression", nullptr, nullptr, 1, removeExpression_callback},
    {"getAttribute", nullptr, nullptr, 2, getAttribute_callback},
    {"setAttribute", nullptr, nullptr, 3, setAttribute_callback},
    {"removeAttribute", nullptr, nullptr, 2, removeAttribute_callback},
    {"getAttributeNode", nullptr, nullptr, 1, getAttributeNode_callback},
    // What getComputedStyle's answer is asked by CSS name.
    {"getPropertyValue", nullptr, nullptr, 1, getPropertyValue_callback},
    {nullptr, nullptr, nullptr, 0},
};

bool IsIntegerId(short mnTinyId) {
    return mnTinyId >= kIdPosWidth && mnTinyId <= kIdPixelLeft;
}
bool IsLayoutId(short mnTinyId) {
    return mnTinyId >= kIdPosWidth && mnTinyId <= kIdStyleFloat && mnTinyId != kIdCssText && mnTinyId != kIdDirection;
}

const KxwJswPropertySpec* FindSpecById(short mnTinyId) {
    for (const KxwJswPropertySpec* ptSpec = katStyleProperties; ptSpec->_pszName; ++ptSpec)
        if (KxwJswClassInformation::DispatchId(ptSpec->_uTinyId) == mnTinyId) return ptSpec;
    return nullptr;
}

// The id of one of the class's stored properties of that script name, or 0.
short FindLayoutIdByName(const std::string& mrdsScriptName) {
    for (const KxwJswPropertySpec* ptSpec = katStyleProperties; ptSpec->_pszName; ++ptSpec) {
        short nId = KxwJswClassInformation::DispatchId(ptSpec->_uTinyId);
        if (IsLayoutId(nId) && mrdsScriptName == ptSpec->_pszName) return nId;
    }
    return 0;
}

const char* StyleKindName(KxwDomHtmlStyle::StyleType meStyleType) {
    switch (meStyleType) {
        case KxwDomHtmlStyle::KXW_STYLE_TYPE_STYLE:
            return "style";
        case KxwDomHtmlStyle::KXW_STYLE_TYPE_CURRENT_STYLE:
            return "currentStyle";
        case KxwDomHtmlStyle::KXW_STYLE_TYPE_RUNTIME_STYLE:
            return "runtimeStyle";
    }
    return nullptr;
}

// The names whose script form does not follow the rule, in both directions.
struct NamePair {
    const char* _pszCssName;
    const char* _pszScriptName;
};
const NamePair katExceptionalNames[] = {
    {"float", "styleFloat"},
    {"scrollbar-3dlight-color", "scrollbar3dLightColor"},
    {"scrollbar-darkshadow-color", "scrollbarDarkShadowColor"},
};

bool IsBlank(char mc) {
    return mc == ' ' || mc == '\t' || mc == '\n' || mc == '\r';
}

bool StartsWithIgnoringCase(const char* mpsfText, size_t mnLen, const char* mpszAsc) {
    size_t nAscLen = std::strlen(mpszAsc);
    return mnLen >= nAscLen && xfbKxwUtilIsEqualIgnoreCase(mpsfText, nAscLen, mpszAsc, nAscLen);
}

// CSS names compare in lower case.
void LowerAscii(std::string& mrdsText) {
    for (char& rc : mrdsText)
        if (rc >= 'A' && rc <= 'Z') rc = static_cast<char>(rc + ('a' - 'A'));
}

// A decimal number at the start of a recorded text ("120", "-4", "12px"), as the integer properties read it.
bool ParseLeadingLong(const char* mpszText, long& mrliValue) {
    if (!mpszText) return false;
    char* pszEnd = nullptr;
    errno = 0;
    long liValue = std::strtol(mpszText, &pszEnd, 10);
    if (pszEnd == mpszText || errno == ERANGE) return false;
    mrliValue = liValue;
    return true;
}

// The display that the emulated browser's cascade gives an element of the tag when nothing sets one (currentStyle
// and getComputedStyle answer it; pages restore it when they show an element again).
const char16_t* DefaultDisplay(int miSubtype) {
    switch (miSubtype) {
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_HTML:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_BODY:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_DIV:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TABLE:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_THEAD:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TBODY:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TFOOT:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TD:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TH:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TR:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_FRAMESET:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_FORM:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_PRE:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_UL:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_OL:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_DIR:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_MENU:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_DL:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_DD:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_DT:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_CENTER:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_H1:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_H2:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_H3:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_H4:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_H5:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_H6:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_BLOCKQUOTE:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_FIELDSET:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_LEGEND:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_HR:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_P:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_ADDRESS:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_XMP:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_LISTING:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_PLAINTEXT:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_NOFRAMES:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_CAPTION:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_MARQUEE:
            return u"block";
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_LI:
            return u"list-item";
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_HEAD:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TITLE:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_SCRIPT:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_STYLE:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_META:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_LINK:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_BASE:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_NOSCRIPT:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_PARAM:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_XML:
            return u"none";
        default:
            return u"inline";
    }
}

using StyleCall = KxwDomScriptCallOn<KxwDomHtmlStyle>;

// Texts a page gave, as a message shows them: printable and cut.
std::string Printable(const std::u16string& mrdsText, size_t mnMaxLen) {
    std::string dsUtf8 = xfdsKxwUtilU16ToUtf8(mrdsText.data(), mrdsText.size());
    return KxwDomBase::GetPrintableText(dsUtf8.data(), dsUtf8.size(), mnMaxLen);
}

// Expressions are not supported: the call is reported with its arguments (escaped and cut) and has no effect.
bool Expression_callback(const char* mpszCallback, const char* mpszFormat, unsigned muArgc,
                         KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    StyleCall tCall(mpszCallback, mptUserObj, mrtArgs);
    if (!tCall.Check(0)) return false;
    static constexpr size_t kanMaxLens[] = {100, 2000, 100};
    std::string adsArgs[3];
    for (unsigned n = 0; n < muArgc; ++n) adsArgs[n] = Printable(tCall.Text(n), kanMaxLens[n]);
    if (tCall.Failed()) return false;
    xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR, mpszFormat, adsArgs[0].c_str(), adsArgs[1].c_str(),
                             adsArgs[2].c_str());
    return tCall.Undefined();
}

bool setExpression_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    return Expression_callback("KxwDomHtmlStyle::setExpression_callback",
                               "setExpression(\"%.100s\", \"%.2000s\", \"%.100s\") not supported for a \"style\" "
                               "object and is ignored",
                               3, mptUserObj, mrtArgs);
}

bool getExpression_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    return Expression_callback("KxwDomHtmlStyle::getExpression_callback",
                               "getExpression(\"%.100s\") not supported for a \"style\" object. Returning void "
                               "(\"undefined\")",
                               1, mptUserObj, mrtArgs);
}

bool removeExpression_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    return Expression_callback("KxwDomHtmlStyle::removeExpression_callback",
                               "removeExpression(\"%.100s\") not supported for a \"style\" object and is ignored", 1,
                               mptUserObj, mrtArgs);
}

bool getAttribute_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    StyleCall tCall("KxwDomHtmlStyle::getAttribute_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(1) || !tCall.Arg(0).IsString() || (tCall.Argc() > 1 && !tCall.Arg(1).IsNumber()))
        return tCall.Invalid();
    tCall.This()->JavaScriptMissingSupport("getAttribute");
    return tCall.Null();
}

bool setAttribute_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    StyleCall tCall("KxwDomHtmlStyle::setAttribute_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(2) || !tCall.Arg(0).IsString()) return tCall.Invalid();
    tCall.This()->JavaScriptMissingSupport("setAttribute");
    return tCall.Undefined();
}

bool removeAttribute_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    StyleCall tCall("KxwDomHtmlStyle::removeAttribute_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(1) || !tCall.Arg(0).IsString()) return tCall.Invalid();
    tCall.This()->JavaScriptMissingSupport("removeAttribute");
    return tCall.Return(false);
}

bool getAttributeNode_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    StyleCall tCall("KxwDomHtmlStyle::getAttributeNode_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(1) || !tCall.Arg(0).IsString()) return tCall.Invalid();
    tCall.This()->JavaScriptMissingSupport("getAttributeNode");
    return tCall.Null();
}

bool getPropertyValue_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    StyleCall tCall("KxwDomHtmlStyle::getPropertyValue_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(1)) return false;
    std::string dsName = tCall.Utf8(0);
    if (tCall.Failed()) return false;
    // A CSS name (font-size) as the function takes it; a script name (fontSize) as pages also give it.
    if (dsName.find('-') != std::string::npos || dsName == "float") {
        LowerAscii(dsName);
        dsName = KxwDomHtmlStyle::CssNameToScriptName(dsName);
    }
    std::u16string dsValue;
    tCall.This()->GetPropertyValueByName(dsName, dsValue);
    return tCall.Return(dsValue);
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// Construction

KxwDomHtmlStyle::KxwDomHtmlStyle(KxwMemMgr* mptMemMgr, KxwU16nHandler* mptU16nHandler, KxwDomHtmlElement* mptOwner,
                                 StyleType meStyleType)
    : KxwDomBase(mptMemMgr, mptU16nHandler),
      _tStyleText(GetDomEnv()),
      _ptOwner(mptOwner),
      _tCssText(GetDomEnv()),
      _tComposedText(GetDomEnv()),
      _eStyleType(meStyleType) {
    if (xfbKxwTraceEnabled() && xfbKxwDetailedTraceEnabled())
        xfvKxwUtilReportTraceToFile("<%p>: KxwDomHtmlStyle(mptMemMgr=%p, mptOwner=%p, meStyleType=%d)",
                                    static_cast<void*>(this), static_cast<void*>(mptMemMgr),
                                    static_cast<void*>(mptOwner), static_cast<int>(meStyleType));
}

KxwDomHtmlStyle::~KxwDomHtmlStyle() {
    if (xfbKxwTraceEnabled() && xfbKxwDetailedTraceEnabled())
        xfvKxwUtilReportTraceToFile("<%p>: ~KxwDomHtmlStyle", static_cast<void*>(this));
}

bool KxwDomHtmlStyle::IsScriptStylePropertiesOn() {
    return xtKxwEnvCfg._ptInitialRTS && xtKxwEnvCfg._ptInitialRTS->GetScriptStyleProperties();
}

std::u16string KxwDomHtmlStyle::ToU16n(const char* mpsfDcs, size_t mnLen) {
    KxwDomStr tText(GetDomEnv(), mpsfDcs, static_cast<unsigned>(mnLen));
    const char16_t* pwsfText = tText.GetU16nStr();
    return pwsfText ? std::u16string(pwsfText, tText.GetU16nLenInChars()) : std::u16string();
}

void KxwDomHtmlStyle::AssignTemporaryText(KxwDomPropertyInfo& mrtPropertyInfo, std::u16string&& mrdsText) {
    // The wrapper converts the text before this object is asked again.
    _dsTemporary = std::move(mrdsText);
    mrtPropertyInfo.AssignU16nStr(_dsTemporary.data(), static_cast<unsigned>(_dsTemporary.size()), true);
}

// ---------------------------------------------------------------------------------------------------------------
// Names

std::string KxwDomHtmlStyle::CssNameToScriptName(const std::string& mrdsCssName) {
    for (const NamePair& rtPair : katExceptionalNames)
        if (mrdsCssName == rtPair._pszCssName) return rtPair._pszScriptName;
    std::string dsScript;
    dsScript.reserve(mrdsCssName.size());
    bool bUpperNext = false;
    for (char c : mrdsCssName) {
        if (c == '-') {
            bUpperNext = true;
            continue;
        }
        if (bUpperNext && c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
        bUpperNext = false;
        dsScript += c;
    }
    return dsScript;
}

std::string KxwDomHtmlStyle::ScriptNameToCssName(const std::string& mrdsScriptName) {
    for (const NamePair& rtPair : katExceptionalNames)
        if (mrdsScriptName == rtPair._pszScriptName) return rtPair._pszCssName;
    std::string dsCss;
    dsCss.reserve(mrdsScriptName.size() + 4);
    for (char c : mrdsScriptName) {
        if (c >= 'A' && c <= 'Z') {
            dsCss += '-';
            c = static_cast<char>(c + 32);
        }
        dsCss += c;
    }
    return dsCss;
}

// ---------------------------------------------------------------------------------------------------------------
// The style text

void KxwDomHtmlStyle::ParseStyleAttributes(const char* mpsfText, size_t mnLen,
                                           std::vector<Declaration>& mrtDeclarations) {
    if (!mpsfText) return;
    size_t nPos = 0;
    while (nPos < mnLen) {
        while (nPos < mnLen && IsBlank(mpsfText[nPos])) ++nPos;
        size_t nNameBegin = nPos;
        while (nPos < mnLen && mpsfText[nPos] != ':' && mpsfText[nPos] != ';' && !IsBlank(mpsfText[nPos])) ++nPos;
        size_t nNameEnd = nPos;
        // After a blank the name is over: what stands before the next ':' or ';' is not part of it.
        while (nPos < mnLen && mpsfText[nPos] != ':' && mpsfText[nPos] != ';') ++nPos;
        if (nPos >= mnLen) break;  // a name that the text ends in is dropped
        std::string dsName(mpsfText + nNameBegin, nNameEnd - nNameBegin);
        if (mpsfText[nPos] == ';') {
            ++nPos;
            if (!dsName.empty()) mrtDeclarations.push_back({std::move(dsName), std::string()});
            continue;
        }
        ++nPos;  // ':'
        while (nPos < mnLen && IsBlank(mpsfText[nPos])) ++nPos;
        size_t nValueBegin = nPos;
        // A ';' in quotes or in parentheses (url(...)) belongs to the value.
        char cQuote = 0;
        int iDepth = 0;
        for (; nPos < mnLen; ++nPos) {
            char c = mpsfText[nPos];
            if (cQuote) {
                if (c == '\\' && nPos + 1 < mnLen)
                    ++nPos;
                else if (c == cQuote)
                    cQuote = 0;
            } else if (c == '"' || c == '\'') {
                cQuote = c;
            } else if (c == '(') {
                ++iDepth;
            } else if (c == ')') {
                if (iDepth > 0) --iDepth;
            } else if (c == ';' && iDepth == 0) {
                break;
            }
        }
        size_t nValueEnd = nPos;
        while (nValueEnd > nValueBegin && IsBlank(mpsfText[nValueEnd - 1])) --nValueEnd;
        if (nPos < mnLen) ++nPos;  // ';'
        if (!dsName.empty())
            mrtDeclarations.push_back(
                {std::move(dsName), std::string(mpsfText + nValueBegin, nValueEnd - nValueBegin)});
    }
}

void KxwDomHtmlStyle::TakeDeclarations(const char* mpsfText, size_t mnLen) {
    std::vector<Declaration> tDeclarations;
    ParseStyleAttributes(mpsfText, mnLen, tDeclarations);
    for (Declaration& rtDeclaration : tDeclarations) {
        std::string dsName = rtDeclaration._dsName;
        LowerAscii(dsName);
        std::string dsScriptName = CssNameToScriptName(dsName);
        std::u16string dsValue = ToU16n(rtDeclaration._dsValue.data(), rtDeclaration._dsValue.size());
        if (short nId = FindLayoutIdByName(dsScriptName)) {
            StoredValue& rtStored = _tLayoutProperties[nId];
            rtStored._bIsLong = IsIntegerId(nId);
            rtStored._liValue = rtStored._bIsLong
                                    ? xfliKxwDomUtilGetJsNumber(dsValue.data(), static_cast<unsigned>(dsValue.size()))
                                    : 0;
            rtStored._dsText = std::move(dsValue);
            continue;
        }
        if (dsScriptName == "cssText" || dsScriptName == "direction") continue;  // not a declaration's to set
        std::u16string dsScriptName16(dsScriptName.begin(), dsScriptName.end());
        // A later declaration of the same name replaces the earlier one, as in the browser.
        bool bReplaced = false;
        for (auto& rtPending : _tPendingDeclarations)
            if (rtPending.first == dsScriptName16) {
                rtPending.second = dsValue;
                bReplaced = true;
            }
        if (!bReplaced) _tPendingDeclarations.emplace_back(std::move(dsScriptName16), std::move(dsValue));
    }
    if (HasJsiObj()) DefinePendingDeclarations();
}

void KxwDomHtmlStyle::DefinePendingDeclarations() {
    JSObject* ptJsiObj = PeekJsiObj();
    if (!ptJsiObj) return;
    KxwJsval tObject;
    tObject.SetObject(ptJsiObj);
    for (const auto& rtPending : _tPendingDeclarations) {
        KxwJsval tValue;
        if (!tValue.SetStringU16n(rtPending.second.data(), rtPending.second.size())) continue;
        if (!tObject.DefineOwnProperty(rtPending.first.data(), rtPending.first.size(), tValue))
            xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                                  "DefineOwnProperty failed in KxwDomHtmlStyle::DefineStyleProperty "
                                                  "for this=%p",
                                                  static_cast<void*>(this));
    }
    _tPendingDeclarations.clear();
}

void KxwDomHtmlStyle::SetStyleParsed(const char* mpszParsedValue) {
    _tStyleText.SetParsed(mpszParsedValue ? mpszParsedValue : "");
    if (!IsScriptStylePropertiesOn()) return;
    std::string dsText(_tStyleText.GetDcsStr() ? _tStyleText.GetDcsStr() : "", _tStyleText.GetDcsLenInBytes());
    TakeDeclarations(dsText.data(), dsText.size());
    // From now on the text is composed from the declarations.
    _tStyleText.SetDcs("", 0);
}

void KxwDomHtmlStyle::SetCssTextU16n(const char16_t* mpwsfText, unsigned muLen) {
    _tLayoutProperties.clear();
    _tPendingDeclarations.clear();
    _tStyleText.SetU16n(mpwsfText ? mpwsfText : u"", mpwsfText ? muLen : 0);
    if (!IsScriptStylePropertiesOn()) return;
    if (JSObject* ptJsiObj = PeekJsiObj()) {
        // The engine object's declarations go (JS_ClearScope of old): its own properties, expandos included.
        KxwJsval tObject;
        tObject.SetObject(ptJsiObj);
        std::vector<std::u16string> tNames;
        tObject.GetOwnPropertyNames(tNames);
        for (const std::u16string& rdsName : tNames) tObject.DeleteOwnProperty(rdsName.data(), rdsName.size());
    }
    std::string dsText(_tStyleText.GetDcsStr() ? _tStyleText.GetDcsStr() : "", _tStyleText.GetDcsLenInBytes());
    TakeDeclarations(dsText.data(), dsText.size());
    _tStyleText.SetDcs("", 0);
}

const KxwDomStr& KxwDomHtmlStyle::GetStyleStr() {
    std::u16string dsText;
    auto tAppend = [&dsText](const std::string& mrdsCssName, const std::u16string& mrdsValue) {
        dsText.append(mrdsCssName.begin(), mrdsCssName.end());
        dsText += u": ";
        dsText += mrdsValue;
        dsText += u"; ";
    };
    if (IsScriptStylePropertiesOn()) {
        for (const auto& rtEntry : _tLayoutProperties)
            if (!rtEntry.second._bIsLong)
                tAppend(ScriptNameToCssName(FindSpecById(rtEntry.first)->_pszName), rtEntry.second._dsText);
        if (JSObject* ptJsiObj = PeekJsiObj()) {
            KxwJsval tObject;
            tObject.SetObject(ptJsiObj);
            std::vector<std::u16string> tNames;
            tObject.GetOwnPropertyNames(tNames);
            for (const std::u16string& rdsName : tNames) {
                KxwJsval tValue;
                // Values that are not texts or numbers (objects a page keeps on the style) are not declarations.
                if (!tObject.GetOwnDataProperty(rdsName.data(), rdsName.size(), tValue) ||
                    !(tValue.IsString() || tValue.IsNumber()))
                    continue;
                unsigned uLen = 0;
                const char16_t* pwsfValue = tValue.GetStringU16n(&uLen);
                tAppend(ScriptNameToCssName(xfdsKxwUtilU16ToUtf8(rdsName.data(), rdsName.size())),
                        std::u16string(pwsfValue ? pwsfValue : u"", pwsfValue ? uLen : 0));
            }
        } else {
            for (const auto& rtPending : _tPendingDeclarations)
                tAppend(ScriptNameToCssName(xfdsKxwUtilU16ToUtf8(rtPending.first.data(), rtPending.first.size())),
                        rtPending.second);
        }
    } else {
        if (const char16_t* pwsfText = _tStyleText.GetU16nStr())
            dsText.assign(pwsfText, _tStyleText.GetU16nLenInChars());
        for (const auto& rtEntry : _tLayoutProperties) {
            if (rtEntry.second._bIsLong) continue;
            size_t nEnd = dsText.size();
            while (nEnd > 0 && (dsText[nEnd - 1] == u' ' || dsText[nEnd - 1] == u'\t')) --nEnd;
            if (nEnd > 0) dsText += dsText[nEnd - 1] == u';' ? u" " : u"; ";
            std::string dsCssName = ScriptNameToCssName(FindSpecById(rtEntry.first)->_pszName);
            dsText.append(dsCssName.begin(), dsCssName.end());
            dsText += u": ";
            dsText += rtEntry.second._dsText;
        }
    }
    _tCssText.AssignU16n(dsText.data(), static_cast<unsigned>(dsText.size()));
    return _tCssText;
}

const KxwDomHtmlPropertyStr* KxwDomHtmlStyle::GetComposedStyleText(bool mbAttributeGiven) {
    const KxwDomStr& rtText = GetStyleStr();
    if (rtText.IsEmpty() && !mbAttributeGiven) return nullptr;
    const char16_t* pwsfText = rtText.GetU16nStr();
    _tComposedText.SetU16n(pwsfText ? pwsfText : u"", pwsfText ? rtText.GetU16nLenInChars() : 0);
    return &_tComposedText;
}

// ---------------------------------------------------------------------------------------------------------------
// Behaviours

bool KxwDomHtmlStyle::FindBehaviorUrl(const char* mpsfText, size_t mnLen, std::string& mrdsUrl) {
    mrdsUrl.clear();
    if (!mpsfText) return false;
    for (size_t nStart = 0; nStart + 8 <= mnLen; ++nStart) {
        if (!StartsWithIgnoringCase(mpsfText + nStart, mnLen - nStart, "behavior")) continue;
        size_t nPos = nStart + 8;
        auto tSkipBlanks = [&] {
            while (nPos < mnLen && IsBlank(mpsfText[nPos])) ++nPos;
        };
        tSkipBlanks();
        if (nPos >= mnLen || mpsfText[nPos] != ':') continue;  // the word in another place: look further
        ++nPos;
        tSkipBlanks();
        if (!StartsWithIgnoringCase(mpsfText + nPos, mnLen - nPos, "url")) return false;
        nPos += 3;
        tSkipBlanks();
        if (nPos >= mnLen || mpsfText[nPos] != '(') return false;
        ++nPos;
        tSkipBlanks();
        size_t nUrlBegin = nPos, nUrlEnd;
        if (nPos < mnLen && (mpsfText[nPos] == '\'' || mpsfText[nPos] == '"')) {
            // Quoted: the address runs to the closing quote of the same kind.
            char cQuote = mpsfText[nPos];
            nUrlBegin = ++nPos;
            while (nPos < mnLen && mpsfText[nPos] != cQuote) ++nPos;
            if (nPos >= mnLen) return false;
            nUrlEnd = nPos;
        } else {
            while (nPos < mnLen && mpsfText[nPos] != ')') ++nPos;
            if (nPos >= mnLen) return false;
            nUrlEnd = nPos;
            while (nUrlEnd > nUrlBegin && IsBlank(mpsfText[nUrlEnd - 1])) --nUrlEnd;
        }
        if (nUrlEnd == nUrlBegin || mpsfText[nUrlBegin] == '#') return false;
        mrdsUrl.assign(mpsfText + nUrlBegin, nUrlEnd - nUrlBegin);
        return true;
    }
    return false;
}

bool KxwDomHtmlStyle::RequestBehavior(KxwDomHtmlElement& mrtOwner, const char* mpsfText, size_t mnLen) {
    std::string dsUrl;
    if (!FindBehaviorUrl(mpsfText, mnLen, dsUrl)) return false;
    KxwDomStr tUrl(mrtOwner.GetDomEnv(), dsUrl.data(), static_cast<unsigned>(dsUrl.size()));
    if (xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile(
            "Asking for the behavior \"%.1000s\" of element %p in KxwDomHtmlStyle::ApplyBehaviors",
            KxwDomBase::GetPrintableText(dsUrl.data(), dsUrl.size(), 1000).c_str(), static_cast<void*>(&mrtOwner));
    xfvKxwDomUtilNotifyObjMgr(KXW_DOM_COMMON_NOTIFICATION_ENUM_ADD_BEHAVIOR, &mrtOwner, &tUrl);
    return true;
}

void KxwDomHtmlStyle::ApplyBehaviors() {
    if (!_ptOwner) return;
    const KxwDomStr& rtText = GetStyleStr();
    std::string dsText(rtText.GetDcsStr() ? rtText.GetDcsStr() : "",
                       rtText.GetDcsStr() ? rtText.GetDcsLenInBytes() : 0);
    RequestBehavior(*_ptOwner, dsText.data(), dsText.size());
}

// ---------------------------------------------------------------------------------------------------------------
// Stored and recorded values

const KxwDomHtmlStyle::StoredValue* KxwDomHtmlStyle::GetLayoutProperty(short mnTinyId) const {
    auto it = _tLayoutProperties.find(mnTinyId);
    return it == _tLayoutProperties.end() ? nullptr : &it->second;
}

const KxwDomHtmlStyle::StoredValue* KxwDomHtmlStyle::FindStoredValue(short mnTinyId) const {
    if (const StoredValue* ptOwn = GetLayoutProperty(mnTinyId)) return ptOwn;
    if (_eStyleType != KXW_STYLE_TYPE_CURRENT_STYLE || !_ptOwner) return nullptr;
    // The cascade without style sheets: runtimeStyle over style; an empty value sets nothing.
    KxwDomHtmlStyle* aptOthers[2] = {_ptOwner->PeekStyleObject(KXW_STYLE_TYPE_RUNTIME_STYLE),
                                     _ptOwner->ObtainStyleObject(KXW_STYLE_TYPE_STYLE)};
    for (KxwDomHtmlStyle* ptOther : aptOthers)
        if (const StoredValue* ptValue = ptOther ? ptOther->GetLayoutProperty(mnTinyId) : nullptr)
            if (ptValue->_bIsLong || !ptValue->_dsText.empty()) return ptValue;
    return nullptr;
}

bool KxwDomHtmlStyle::GetLayoutPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (!_ptOwner) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "_ptOwner is NULL in KxwDomHtmlStyle::GetDomPropertyInfo for this=%p",
                                              static_cast<void*>(this));
        mrtPropertyInfo.AssignUndefined();
        return true;
    }
    const char* pszName = FindSpecById(mnTinyId)->_pszName;
    const char* pszLayout = nullptr;
    if (!KxwLayoutMgr::IsEmpty()) {
        std::string dsKey;
        if (_ptOwner->GetLayoutEntry(StyleKindName(_eStyleType), pszName, dsKey))
            pszLayout = KxwLayoutMgr::GetLayoutValue(dsKey);
    }
    const StoredValue* ptStored = pszLayout ? nullptr : FindStoredValue(mnTinyId);
    if (IsIntegerId(mnTinyId)) {
        long liValue = 1;
        if (!(pszLayout && ParseLeadingLong(pszLayout, liValue)) && ptStored) liValue = ptStored->_liValue;
        mrtPropertyInfo = static_cast<int>(liValue);
        return true;
    }
    if (pszLayout) {
        AssignTemporaryText(mrtPropertyInfo, ToU16n(pszLayout, std::strlen(pszLayout)));
        return true;
    }
    if (ptStored) {
        AssignTemporaryText(mrtPropertyInfo, std::u16string(ptStored->_dsText));
        return true;
    }
    if (mnTinyId == kIdDisplay && _eStyleType == KXW_STYLE_TYPE_CURRENT_STYLE) {
        const char16_t* pwszDisplay = DefaultDisplay(_ptOwner->GetNodeSubtype());
        mrtPropertyInfo.AssignU16nStr(pwszDisplay,
                                      static_cast<unsigned>(std::char_traits<char16_t>::length(pwszDisplay)), true);
        return true;
    }
    if (mnTinyId == kIdBackgroundColor) {
        mrtPropertyInfo.AssignU16nStr(u"buttonface", 10, true);
        return true;
    }
    std::string dsDefault;
    if (_ptOwner->GetStringStylePropertyFromRTS(pszName, dsDefault)) {
        AssignTemporaryText(mrtPropertyInfo, ToU16n(dsDefault.data(), dsDefault.size()));
        return true;
    }
    mrtPropertyInfo.AssignEmptyStr();
    return true;
}

bool KxwDomHtmlStyle::SetLayoutPropertyVal(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (!_ptOwner) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "_ptOwner is NULL in KxwDomHtmlStyle::SetLayoutPropertyVal for this=%p",
                                              static_cast<void*>(this));
        return false;
    }
    KXW_DOM_PROPERTY_INFO_TYPE_ENUM eType = mrtPropertyInfo.ConvertToJswObjPropType();
    StoredValue tValue;
    if (IsIntegerId(mnTinyId) &&
        (eType == KXW_DOM_PROPERTY_INFO_TYPE_INT || eType == KXW_DOM_PROPERTY_INFO_TYPE_DOUBLE)) {
        tValue._bIsLong = true;
        tValue._liValue = eType == KXW_DOM_PROPERTY_INFO_TYPE_INT
                              ? mrtPropertyInfo.GetInt()
                              : KxwDomHtmlPropertyNumLong::DoubleToLong(mrtPropertyInfo.GetDouble());
    } else if (!IsIntegerId(mnTinyId) && eType != KXW_DOM_PROPERTY_INFO_TYPE_INVALID &&
               eType != KXW_DOM_PROPERTY_INFO_TYPE_NO_VALUE) {
        const char16_t* pwsfText = mrtPropertyInfo.ConvertAndGetStringU16n();
        tValue._dsText.assign(pwsfText ? pwsfText : u"",
                              pwsfText ? mrtPropertyInfo.ConvertAndGetStringU16nLength() : 0);
    } else {
        xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                 "Unsupported type in setting a layout property (Internal information: type=%d, "
                                 "this=%p, function KxwDomHtmlStyle::SetLayoutPropertyVal)",
                                 static_cast<int>(eType), static_cast<void*>(this));
        _tLayoutProperties.erase(mnTinyId);
        return true;
    }
    _tLayoutProperties[mnTinyId] = std::move(tValue);
    return true;
}

bool KxwDomHtmlStyle::GetPropertyValueByName(const std::string& mrdsScriptName, std::u16string& mrdsValue) {
    mrdsValue.clear();
    if (short nId = FindLayoutIdByName(mrdsScriptName)) {
        KxwDomPropertyInfo tInfo;
        GetLayoutPropertyInfo(nId, tInfo);
        const char16_t* pwsfText = tInfo.ConvertAndGetStringU16n();
        if (pwsfText) mrdsValue.assign(pwsfText, tInfo.ConvertAndGetStringU16nLength());
        return true;
    }
    // A declaration the class has no property for lives on the engine object of the element's style (or, for
    // currentStyle, of its runtimeStyle first).
    std::u16string dsName(mrdsScriptName.begin(), mrdsScriptName.end());
    KxwDomHtmlStyle* aptFrom[3] = {this, nullptr, nullptr};
    if (_ptOwner && _eStyleType == KXW_STYLE_TYPE_CURRENT_STYLE) {
        aptFrom[1] = _ptOwner->PeekStyleObject(KXW_STYLE_TYPE_RUNTIME_STYLE);
        aptFrom[2] = _ptOwner->ObtainStyleObject(KXW_STYLE_TYPE_STYLE);
    }
    for (KxwDomHtmlStyle* ptFrom : aptFrom) {
        if (!ptFrom) continue;
        for (const auto& rtPending : ptFrom->_tPendingDeclarations)
            if (rtPending.first == dsName) {
                mrdsValue = rtPending.second;
                return true;
            }
        if (JSObject* ptJsiObj = ptFrom->PeekJsiObj()) {
            KxwJsval tObject, tValue;
            tObject.SetObject(ptJsiObj);
            if (tObject.GetOwnDataProperty(dsName.data(), dsName.size(), tValue) &&
                (tValue.IsString() || tValue.IsNumber())) {
                unsigned uLen = 0;
                const char16_t* pwsfValue = tValue.GetStringU16n(&uLen);
                if (pwsfValue) mrdsValue.assign(pwsfValue, uLen);
                return true;
            }
        }
    }
    return false;
}

// ---------------------------------------------------------------------------------------------------------------
// The wrapper's operations

bool KxwDomHtmlStyle::PrepareForScript() {
    if (!CreateJsiObj()) return false;
    if (!_tPendingDeclarations.empty()) DefinePendingDeclarations();
    return true;
}

const KxwJswClassInformation& KxwDomHtmlStyle::GetStyleClassInformation() {
    // Named items: what currentStyle answers for names the class has no property for (fontSize, zIndex ...).
    static const KxwJswClassInformation ktClassInfo(nullptr, "styleprop", katStyleProperties, katStyleMethods, nullptr,
                                                    KXW_JSW_CLASS_KIND_NAMED_ITEMS);
    return ktClassInfo;
}

const KxwJswClassInformation* KxwDomHtmlStyle::GetClassInformation() const {
    return &GetStyleClassInformation();
}

bool KxwDomHtmlStyle::IsResolved(const char* mpszName) {
    std::u16string dsValue;
    return mpszName && _eStyleType == KXW_STYLE_TYPE_CURRENT_STYLE &&
           !GetStyleClassInformation().IsDeclared(mpszName) && GetPropertyValueByName(mpszName, dsValue);
}

bool KxwDomHtmlStyle::GetPropertyByName(const char* mpszName, void** mppvValue, unsigned* mpnLength,
                                        KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) {
    std::u16string dsValue;
    bool bFound = mpszName && _eStyleType == KXW_STYLE_TYPE_CURRENT_STYLE &&
                  !GetStyleClassInformation().IsDeclared(mpszName) && GetPropertyValueByName(mpszName, dsValue);
    if (bFound) _dsTemporary = std::move(dsValue);
    if (mppvValue) *mppvValue = bFound ? const_cast<char16_t*>(_dsTemporary.data()) : nullptr;
    if (mpnLength) *mpnLength = bFound ? static_cast<unsigned>(_dsTemporary.size()) : 0;
    if (mpeType) *mpeType = bFound ? KXW_JSW_OBJ_PROP_TYPE_STRING : KXW_JSW_OBJ_PROP_TYPE_NONE;
    return bFound;
}

bool KxwDomHtmlStyle::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (IsLayoutId(mnTinyId)) return GetLayoutPropertyInfo(mnTinyId, mrtPropertyInfo);
    switch (mnTinyId) {
        case kIdCssText: {
            const KxwDomStr& rtText = GetStyleStr();
            const char16_t* pwsfText = rtText.GetU16nStr();
            AssignTemporaryText(mrtPropertyInfo,
                                std::u16string(pwsfText ? pwsfText : u"", pwsfText ? rtText.GetU16nLenInChars() : 0));
            return true;
        }
        case kIdDirection:
            mrtPropertyInfo.AssignU16nStr(u"ltr", 3, true);
            return true;
        default:
            if (mnTinyId >= 0) return KxwDomBase::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
            if (xfbKxwTraceEnabled())
                xfvKxwUtilReportTraceToFile("KxwDomHtmlStyle::GetDomPropertyInfo: Unsupported property ID (%d)",
                                            mnTinyId);
            mrtPropertyInfo.AssignUndefined();
            return false;
    }
}

bool KxwDomHtmlStyle::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (IsLayoutId(mnTinyId)) return SetLayoutPropertyVal(mnTinyId, mrtPropertyInfo);
    switch (mnTinyId) {
        case kIdCssText: {
            std::u16string dsText(mrtPropertyInfo.ConvertAndGetStringU16n(),
                                  mrtPropertyInfo.ConvertAndGetStringU16nLength());
            SetCssTextU16n(dsText.data(), static_cast<unsigned>(dsText.size()));
            return true;
        }
        case kIdDirection:
            if (xfbKxwTraceEnabled())
                xfvKxwUtilReportTraceToFile(
                    "KXW_DOM_HTML_STYLE_TINY_ID_DIRECTION unsupported by KxwDomHtmlStyle::SetDomPropertyInfo");
            return true;
        default:
            if (mnTinyId >= 0) return true;  // outside the class's range: accepted, without effect
            if (xfbKxwTraceEnabled())
                xfvKxwUtilReportTraceToFile("KxwDomHtmlStyle::SetDomPropertyInfo: Unsupported property ID (%d)",
                                            mnTinyId);
            return false;
    }
}
