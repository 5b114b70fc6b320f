#include "KxwDomHtmlNavigator.h"

#include "KxwDomBindingUtil.h"
#include "KxwDomHtmlCollection.h"
#include "KxwDomHtmlTopWindow.h"
#include "KxwDomPropertyInfo.h"
#include "KxwDomScriptCall.h"
#include "KxwJswClassInformation.h"
#include "KxwU16nHandler.h"
#include "KxwUtilReport.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwEnvCfg.h"
#include "kxw/KxwObjMgr.h"

namespace {

constexpr uint16_t kRO = KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY;

// ---- Navigator ----

enum : short {
    kIdUserAgent = 0,
    kIdAppName,
    kIdAppCodeName,
    kIdAppVersion,
    kIdAppMinorVersion,
    kIdSystemLanguage,
    kIdUserLanguage,
    kIdBrowserLanguage,
    kIdCookieEnabled,
    kIdPlatform,
    kIdPlugins,
    kIdMimeTypes,
};

const KxwJswPropertySpec katNavigatorProperties[] = {
    {"userAgent", kIdUserAgent, kRO, nullptr},
    {"appName", kIdAppName, kRO, nullptr},
    {"appCodeName", kIdAppCodeName, kRO, nullptr},
    {"appVersion", kIdAppVersion, kRO, nullptr},
    {"appMinorVersion", kIdAppMinorVersion, kRO, nullptr},
    {"systemLanguage", kIdSystemLanguage, kRO, nullptr},
    {"userLanguage", kIdUserLanguage, kRO, nullptr},
    {"browserLanguage", kIdBrowserLanguage, kRO, nullptr},
    {"cookieEnabled", kIdCookieEnabled, kRO, nullptr},
    {"platform", kIdPlatform, kRO, nullptr},
    {"plugins", kIdPlugins, kRO, nullptr},
    {"mimeTypes", kIdMimeTypes, kRO, nullptr},
    {nullptr, 0, 0, nullptr},
};

using KxwDomHtmlNavigatorCall = KxwDomScriptCallOn<KxwDomHtmlNavigator>;

bool javaEnabled_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwDomHtmlNavigatorCall tCall("KxwDomHtmlNavigator::javaEnabled_callback", mptUserObj, mrtArgs);
    return tCall.Check(0) && tCall.Return(tCall.This()->IsJavaEnabled());
}

const KxwJswMethodSpec katNavigatorMethods[] = {
    {"javaEnabled", nullptr, nullptr, 0, javaEnabled_callback},
    {nullptr, nullptr, nullptr, 0},
};

KxwiRunTimeSettings* Settings() {
    return xfptKxwDomUtilGetRTS();
}

// Settings texts are bytes, each the code point of the same value.
std::u16string FromLatin1(const char* mpszText) {
    std::u16string dsText;
    for (const char* pc = mpszText ? mpszText : ""; *pc; ++pc)
        dsText.push_back(static_cast<char16_t>(static_cast<unsigned char>(*pc)));
    return dsText;
}

std::u16string LanguageOr(const std::string& mrdsLanguage) {
    return mrdsLanguage.empty() ? std::u16string(u"en-us") : FromLatin1(mrdsLanguage.c_str());
}

// ---- Screen ----

enum : short {
    kIdWidth = 0,
    kIdHeight,
    kIdAvailWidth,
    kIdAvailHeight,
    kIdBufferDepth,
    kIdColorDepth,
    kIdFontSmoothingEnabled,
    kIdUpdateInterval,
};

const KxwJswPropertySpec katScreenProperties[] = {
    {"width", kIdWidth, kRO, nullptr},
    {"height", kIdHeight, kRO, nullptr},
    {"availWidth", kIdAvailWidth, kRO, nullptr},
    {"availHeight", kIdAvailHeight, kRO, nullptr},
    {"bufferDepth", kIdBufferDepth, kRO, nullptr},
    {"colorDepth", kIdColorDepth, kRO, nullptr},
    {"fontSmoothingEnabled", kIdFontSmoothingEnabled, kRO, nullptr},
    {"updateInterval", kIdUpdateInterval, kRO, nullptr},
    {nullptr, 0, 0, nullptr},
};

// ---- External ----

using KxwDomHtmlExternalCall = KxwDomScriptCallOn<KxwDomHtmlExternal>;

// Favorites, forms and the browser's own user interface: there are none, so nothing changes.
bool NoEffect_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwDomHtmlExternalCall tCall("KxwDomHtmlExternal::NoEffect_callback", mptUserObj, mrtArgs);
    return tCall.Check(0) && tCall.Undefined();
}

const KxwJswMethodSpec katExternalMethods[] = {
    {"AddFavorite", nullptr, nullptr, 2, NoEffect_callback},
    {"AutoCompleteSaveForm", nullptr, nullptr, 1, NoEffect_callback},
    {"AutoScan", nullptr, nullptr, 3, NoEffect_callback},
    {"ImportExportFavorites", nullptr, nullptr, 2, NoEffect_callback},
    {"IsSubscribed", nullptr, nullptr, 1, NoEffect_callback},
    {"NavigateAndFind", nullptr, nullptr, 3, NoEffect_callback},
    {"ShowBrowserUI", nullptr, nullptr, 2, NoEffect_callback},
    {nullptr, nullptr, nullptr, 0},
};

}  // namespace

// ---- Navigator ----

KxwDomHtmlNavigator::KxwDomHtmlNavigator(KxwDomHtmlTopWindow* mptTopWindow)
    : KxwDomBase(mptTopWindow->GetObjMgr()->GetMemMgr(), xfptKxwU16nHandlerGetDefault()) {}

const KxwJswClassInformation* KxwDomHtmlNavigator::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(nullptr, "Navigator", katNavigatorProperties, katNavigatorMethods);
    return &ktClassInfo;
}

KXWI_BROWSER_MAJOR_TYPE_ENUM KxwDomHtmlNavigator::GetBrowserMajorType() {
    if (_eBrowserMajorType == 0) {
        KxwiRunTimeSettings* ptRTS = Settings();
        _eBrowserMajorType = ptRTS ? ptRTS->GetBrowserMajorType() : KXWI_BROWSER_MAJOR_TYPE_IE;
    }
    return static_cast<KXWI_BROWSER_MAJOR_TYPE_ENUM>(_eBrowserMajorType);
}

bool KxwDomHtmlNavigator::IsIE() {
    return GetBrowserMajorType() == KXWI_BROWSER_MAJOR_TYPE_IE;
}

bool KxwDomHtmlNavigator::IsNS() {
    return GetBrowserMajorType() == KXWI_BROWSER_MAJOR_TYPE_NS;
}

const std::u16string& KxwDomHtmlNavigator::GetUserAgent() {
    return Text(kTextUserAgent);
}
const std::u16string& KxwDomHtmlNavigator::GetAppName() {
    return Text(kTextAppName);
}
const std::u16string& KxwDomHtmlNavigator::GetAppCodeName() {
    return Text(kTextAppCodeName);
}
const std::u16string& KxwDomHtmlNavigator::GetAppVersion() {
    return Text(kTextAppVersion);
}
const std::u16string& KxwDomHtmlNavigator::GetAppMinorVersion() {
    return Text(kTextAppMinorVersion);
}

bool KxwDomHtmlNavigator::IsJavaEnabled() const {
    KxwiRunTimeSettings* ptRTS = Settings();
    return ptRTS && ptRTS->GetJavaAppletsEnabled();
}

const std::u16string& KxwDomHtmlNavigator::Text(KXW_NAVIGATOR_TEXT_ENUM meText) {
    uint32_t uBit = 1u << meText;
    if (!(_uComputedTexts & uBit)) {
        _atTexts[meText] = ComputeText(meText);
        _uComputedTexts |= uBit;
    }
    return _atTexts[meText];
}

std::u16string KxwDomHtmlNavigator::ComputeText(KXW_NAVIGATOR_TEXT_ENUM meText) {
    KxwiRunTimeSettings* ptRTS = Settings();
    switch (meText) {
        case kTextUserAgent:
            return FromLatin1(ptRTS ? ptRTS->GetActualBrowserIdString() : KxwiRunTimeSettings::kIeBrowserIdString);
        case kTextAppName:
            switch (GetBrowserMajorType()) {
                case KXWI_BROWSER_MAJOR_TYPE_IE:
                    return u"Microsoft Internet Explorer";
                case KXWI_BROWSER_MAJOR_TYPE_NS:
                    return u"Netscape";
            }
            if (xfbKxwTraceEnabled())
                xfvKxwUtilReportTraceToFile(
                    "Invalid _eBrowserMajorType (%d) in KxwDomHtmlNavigator::GetAppName Using IE as default",
                    static_cast<int>(_eBrowserMajorType));
            return u"Microsoft Internet Explorer";
        case kTextAppCodeName:
            return u"Mozilla";
        case kTextAppVersion: {
            // The user agent after "Mozilla/" (its first 8 characters); empty for a shorter one.
            const std::u16string& rdsUserAgent = Text(kTextUserAgent);
            return rdsUserAgent.size() > 8 ? rdsUserAgent.substr(8) : std::u16string();
        }
        case kTextAppMinorVersion:
            return u"0";
        case kTextBrowserLanguage:
            return ptRTS ? LanguageOr(ptRTS->GetBrowserLanguage()) : u"en-us";
        case kTextSystemLanguage:
            return ptRTS ? LanguageOr(ptRTS->GetSystemLanguage()) : u"en-us";
        case kTextUserLanguage:
            return ptRTS ? LanguageOr(ptRTS->GetUserLanguage()) : u"en-us";
        case kTextPlatform:
            return u"Win32";
        case kTextCount:
            break;
    }
    return std::u16string();
}

bool KxwDomHtmlNavigator::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    KXW_NAVIGATOR_TEXT_ENUM eText;
    switch (mnTinyId) {
        case kIdUserAgent:
            eText = kTextUserAgent;
            break;
        case kIdAppName:
            eText = kTextAppName;
            break;
        case kIdAppCodeName:
            eText = kTextAppCodeName;
            break;
        case kIdAppVersion:
            eText = kTextAppVersion;
            break;
        case kIdAppMinorVersion:
            eText = kTextAppMinorVersion;
            break;
        case kIdSystemLanguage:
            eText = kTextSystemLanguage;
            break;
        case kIdUserLanguage:
            eText = kTextUserLanguage;
            break;
        case kIdBrowserLanguage:
            eText = kTextBrowserLanguage;
            break;
        case kIdPlatform:
            eText = kTextPlatform;
            break;
        case kIdCookieEnabled:
            mrtPropertyInfo = true;
            return true;
        case kIdPlugins:
        case kIdMimeTypes: {
            // A new empty collection on each read, which belongs to the script (it goes with its engine object).
            auto* ptEmpty =
                new (static_cast<KxwMemMgr*>(nullptr)) KxwDomHtmlCollectionGeneral(static_cast<KxwMemMgr*>(nullptr));
            mrtPropertyInfo = static_cast<const KxwJswUserObjBase*>(ptEmpty);
            return true;
        }
        default:
            return xfbKxwDomUtilUnsupportedGetPropertyId("KxwDomHtmlNavigator", mnTinyId, mrtPropertyInfo);
    }
    // The kept text lives as long as this navigator.
    const std::u16string& rdsText = Text(eText);
    mrtPropertyInfo.AssignU16nStr(rdsText.data(), static_cast<unsigned>(rdsText.size()), true);
    return true;
}

// ---- Screen ----

KxwDomHtmlScreen::KxwDomHtmlScreen(KxwDomHtmlTopWindow* mptTopWindow)
    : KxwDomBase(mptTopWindow->GetObjMgr()->GetMemMgr(), xfptKxwU16nHandlerGetDefault()) {}

const KxwJswClassInformation* KxwDomHtmlScreen::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(nullptr, "Screen", katScreenProperties, nullptr);
    return &ktClassInfo;
}

bool KxwDomHtmlScreen::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    const KxwiRunTimeSettings* ptRTS = Settings();
    int iValue;
    switch (mnTinyId) {
        case kIdWidth:
            iValue = ptRTS ? ptRTS->GetScreenWidth() : 1024;
            break;
        case kIdHeight:
            iValue = ptRTS ? ptRTS->GetScreenHeight() : 768;
            break;
        case kIdAvailWidth:
            iValue = ptRTS ? ptRTS->GetScreenAvailWidth() : 1024;
            break;
        case kIdAvailHeight:
            iValue = ptRTS ? ptRTS->GetScreenAvailHeight() : 768;
            break;
        case kIdBufferDepth:
            iValue = ptRTS ? ptRTS->GetScreenBufferDepth() : 0;
            break;
        case kIdColorDepth:
            iValue = ptRTS ? ptRTS->GetScreenColorDepth() : 32;
            break;
        case kIdFontSmoothingEnabled:
            iValue = ptRTS && ptRTS->GetScreenFontSmoothingEnabled() ? 1 : 0;
            break;
        case kIdUpdateInterval:
            iValue = ptRTS ? ptRTS->GetScreenUpdateInterval() : 0;
            break;
        default:
            return xfbKxwDomUtilUnsupportedGetPropertyId("KxwDomHtmlScreen", mnTinyId, mrtPropertyInfo);
    }
    mrtPropertyInfo = iValue;
    return true;
}

// ---- External ----

KxwDomHtmlExternal::KxwDomHtmlExternal(KxwDomHtmlTopWindow* mptTopWindow)
    : KxwDomBase(mptTopWindow->GetObjMgr()->GetMemMgr(), xfptKxwU16nHandlerGetDefault()) {}

const KxwJswClassInformation* KxwDomHtmlExternal::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(nullptr, "External", nullptr, katExternalMethods);
    return &ktClassInfo;
}
