#include "KxwDomHtmlElementObject.h"

#include <cstring>
#include <new>

#include "KxwAutomationRegistry.h"
#include "KxwDomActiveX.h"
#include "KxwDomBindingUtil.h"
#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlElementApplet.h"
#include "KxwDomHtmlTextsStr.h"
#include "KxwDomHtmlWindow.h"
#include "KxwDomPropertyInfo.h"
#include "KxwDomReflectedText.h"
#include "KxwJswAutomationObject.h"
#include "KxwJswClassInformation.h"
#include "KxwUtilReport.h"
#include "KxwUtilStrCompare.h"
#include "KxwUtilTagName.h"
#include "KxwUtilUtf.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwEnvCfg.h"
#include "kxw/KxwiRunTimeSettings.h"

namespace {

constexpr uint16_t kAttr = KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_ATTRIBUTE;
constexpr uint16_t kRO = KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY;
constexpr short kIdObject = KxwDomHtmlElementWithName::kFirstDerivedTinyId;  // 8
constexpr short kIdClassId = kIdObject + 1;
constexpr short kIdCodeBase = kIdObject + 2;
constexpr short kIdCode = kIdObject + 3;
constexpr short kIdArchive = kIdObject + 4;

const KxwJswPropertySpec katObjectProperties[] = {
    {"object", kIdObject, kRO, nullptr}, {"classid", kIdClassId, kAttr, "S"}, {"codeBase", kIdCodeBase, kAttr, "S"},
    {"code", kIdCode, kAttr, "S"},       {"archive", kIdArchive, kAttr, "S"}, {nullptr, 0, 0, nullptr},
};
const KxwJswMethodSpec katNoMethods[] = {{nullptr, nullptr, nullptr, 0}};

std::u16string TextOf(const KxwDomHtmlPropertyStr& mrtProperty) {
    const char16_t* pwsfText = mrtProperty.GetU16nStr();
    return std::u16string(pwsfText ? pwsfText : u"", pwsfText ? mrtProperty.GetU16nLenInChars() : 0);
}

// Whether the text has the word at mnAt, ASCII case ignored.
bool HasWordAt(const std::u16string& mrdsText, size_t mnAt, const char16_t* mpwszWord, size_t mnWordLen) {
    return mrdsText.size() >= mnAt + mnWordLen &&
           xfbKxwUtilU16nIsEqualIgnoreCaseAssumeAscii(mrdsText.data() + mnAt, mnWordLen, mpwszWord, mnWordLen);
}

constexpr int kiMsgControlsOff = -35911;
constexpr int kiMsgControlUnavailable = -35910;

// The emulated browser's own browser control: every name a script gives it is a method that does nothing.
class KxwDomSupportedControl : public KxwAutomation {
public:
    const char* GetInterfaceName() const override { return "IWebBrowser2"; }
    bool FindMember(const char*, KxwAutoMember& mrtMember) override {
        mrtMember._iId = 0;
        mrtMember._eKind = KXW_AUTO_MEMBER_METHOD;
        return true;
    }
    KxwAutoResult Get(int32_t, KxwAutoValue& mrtResult) override {
        mrtResult = KxwAutoValue();
        return KXW_AUTO_S_OK;
    }
    KxwAutoResult Put(int32_t, const KxwAutoValue&) override { return KXW_AUTO_S_OK; }
    KxwAutoResult Call(int32_t, const KxwAutoArgs&, KxwAutoValue& mrtResult) override {
        xfvKxwUtilReportTraceToFile(
            "Active X object has been called in KxwDomHtmlElementObject::commonObject_callback");
        mrtResult = KxwAutoValue();
        return KXW_AUTO_S_OK;
    }
};

}  // namespace

const KxwDomReflectedText<KxwDomHtmlElementObject> KxwDomHtmlElementObject::katReflectedTexts[4] = {
    {"classid", kIdClassId, &KxwDomHtmlElementObject::_tClassId},
    {"codebase", kIdCodeBase, &KxwDomHtmlElementObject::_tCodeBase},
    {"code", kIdCode, &KxwDomHtmlElementObject::_tCode},
    {"archive", kIdArchive, &KxwDomHtmlElementObject::_tArchive},
};

KxwDomHtmlElementObject::KxwDomHtmlElementObject(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr)
    : KxwDomHtmlElementWithName(mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_OBJECT, mbUseMemMgr),
      _tClassId(GetDomEnv()),
      _tCodeBase(GetDomEnv()),
      _tCode(GetDomEnv()),
      _tArchive(GetDomEnv()) {}

KxwDomHtmlElementObject::~KxwDomHtmlElementObject() {
    delete _ptActiveX;
    KxwDomHtmlElementApplet* ptInner = _ptInnerApplet;
    _ptInnerApplet = nullptr;
    delete ptInner;
}

bool KxwDomHtmlElementObject::IsAppletClassId(const std::u16string& mrdsClassId) {
    static const char16_t kwszJavaClassId[] = u"clsid:8AD9C840-044E-11D1-B3E9-00805F499D93";
    constexpr size_t knJavaClassIdLen = sizeof(kwszJavaClassId) / sizeof(char16_t) - 1;
    if (mrdsClassId.size() == knJavaClassIdLen && HasWordAt(mrdsClassId, 0, kwszJavaClassId, knJavaClassIdLen))
        return true;
    return mrdsClassId.size() >= 28 && HasWordAt(mrdsClassId, 0, u"clsid:CAFEEFAC-", 15) &&
           HasWordAt(mrdsClassId, mrdsClassId.size() - 13, u"-ABCDEFFEDCBA", 13);
}

bool KxwDomHtmlElementObject::IsApplet() const {
    return !_tClassId.IsSpecified() || IsAppletClassId(TextOf(_tClassId));
}

std::u16string KxwDomHtmlElementObject::ParamValue(const char* mpszName) const {
    for (KxwDomNodeBase* ptChild = GetFirstChild(); ptChild; ptChild = ptChild->GetNextSibling()) {
        if (ptChild->GetNodeSubtype() != KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_PARAM) continue;
        auto* ptParam = static_cast<KxwDomHtmlElementParam*>(ptChild);
        if (ptParam->GetName().IsEqualIgnoringCaseAsc(mpszName, static_cast<unsigned>(std::strlen(mpszName))))
            return TextOf(ptParam->GetValue());
    }
    return std::u16string();
}

void KxwDomHtmlElementObject::NotifyFinishedParsing() {
    if (_bFinishedParsing || !IsApplet()) return;
    _bFinishedParsing = true;
    KxwDomHtmlDocument* ptDocument = GetOwnerHtmlDocument(false);
    if (!ptDocument) return;
    KxwUtilTagName tTag(KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_APPLET);
    _ptInnerApplet = dynamic_cast<KxwDomHtmlElementApplet*>(KxwDomHtmlElement::AllocElement(tTag, ptDocument, false));
    if (!_ptInnerApplet) return;
    _ptInnerApplet->SetHostElement(this);
    if (!_tClassId.IsSpecified()) {
        _ptInnerApplet->SetAppletAttributes(TextOf(_tCode), TextOf(_tCodeBase), TextOf(_tArchive));
    } else {
        std::u16string dsArchive = ParamValue("archive");
        if (dsArchive.empty()) dsArchive = ParamValue("cache_archive");
        _ptInnerApplet->SetAppletAttributes(ParamValue("code"), ParamValue("codebase"), dsArchive);
    }
    _ptInnerApplet->NotifyFinishedParsing();
}

bool KxwDomHtmlElementObject::IsSupported() const {
    if (_iSupported < 0) {
        static const char16_t kwszSupported[] = u"clsid:8856F961-340A-11D0-A96B-00C04FD705A2";
        constexpr size_t knLen = sizeof(kwszSupported) / sizeof(char16_t) - 1;
        std::u16string dsClassId = TextOf(_tClassId);
        _iSupported = dsClassId.size() == knLen && HasWordAt(dsClassId, 0, kwszSupported, knLen) ? 1 : 0;
    }
    return _iSupported == 1;
}

bool KxwDomHtmlElementObject::CreateActiveX() {
    if (_ptActiveX) return true;
    if (_bActiveXTried || IsApplet()) return false;
    _bActiveXTried = true;
    KxwiRunTimeSettings* ptRTS = xfptKxwDomUtilGetRTS();
    // Only the emulated Internet Explorer hosts controls.
    if ((ptRTS && !ptRTS->GetActiveXEnabled()) || !xfbKxwDomUtilIsIE()) return false;
    std::u16string dsClassId = TextOf(_tClassId);
    std::string dsClassIdUtf8 = xfdsKxwUtilU16ToUtf8(dsClassId.data(), dsClassId.size());
    std::string dsShown = xfdsKxwDomActiveXPrintable(dsClassIdUtf8);
    if (ptRTS && !ptRTS->GetActiveXCreateControls()) {
        xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_WARNING, kiMsgControlsOff,
                                            "KxwDomHtmlElementObject::CreateActiveX", __LINE__, dsShown.c_str());
        _bUnavailableReported = true;
        return false;
    }
    KxwAutoRef<KxwAutomation> tControl;
    KxwAutoResult lResult =
        KxwAutomationRegistry::CreateByClassId(dsClassIdUtf8.data(), dsClassIdUtf8.size(), tControl);
    if (lResult == KXW_AUTO_E_CLASSNOTREG && IsSupported()) {
        tControl = KxwAutoRef<KxwAutomation>::Adopt(new KxwDomSupportedControl());
        lResult = KXW_AUTO_S_OK;
    }
    if (!xfbKxwAutoSucceeded(lResult) || !tControl) {
        std::string dsText = "Creating the control of classid \"" + dsShown + "\" failed";
        KxwJswAutomationObject::LogAutomantionErrorMsg(lResult, dsText.c_str(), this, KXW_WTL_SEV_LVL_ENUM_WARNING);
        _bUnavailableReported = true;
        return false;
    }
    // The control is sited in its window's container before a script reaches it.
    if (KxwDomHtmlWindow* ptWindow = GetOwnerWindow())
        tControl->SetClientSite(static_cast<KxwAutomation*>(ptWindow->GetSiteForActiveX()));
    auto* ptActiveX = new (std::nothrow) KxwJswAutomationObject(tControl.Get(), false);
    if (!ptActiveX)
        KxwUtilOutOfMemoryAbort(static_cast<long>(sizeof(KxwJswAutomationObject)), "KxwJswAutomationObject");
    ptActiveX->SetActiveXSite(this);
    _ptActiveX = ptActiveX;
    if (xfbKxwUtilIsTraceFileOpen())
        xfvKxwUtilReportTraceToFile(
            "Allocated _ptActiveX=%p KxwJswAutomationObject in "
            "KxwDomHtmlElementObject::CreateActiveX for this=%p",
            static_cast<void*>(_ptActiveX), static_cast<void*>(this));
    return true;
}

KxwJswAutomationObject* KxwDomHtmlElementObject::ControlForScript() {
    if (IsApplet()) return nullptr;
    if (CreateActiveX()) return _ptActiveX;
    KxwiRunTimeSettings* ptRTS = xfptKxwDomUtilGetRTS();
    if (!_bUnavailableReported && (!ptRTS || ptRTS->GetActiveXEnabled()) && xfbKxwDomUtilIsIE()) {
        _bUnavailableReported = true;
        std::u16string dsClassId = TextOf(_tClassId);
        std::string dsShown = xfdsKxwDomActiveXPrintable(xfdsKxwUtilU16ToUtf8(dsClassId.data(), dsClassId.size()));
        xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_INFORMATIVE, kiMsgControlUnavailable,
                                            "KxwDomHtmlElementObject::commonObject_callback", __LINE__,
                                            dsShown.c_str());
    }
    return nullptr;
}

bool KxwDomHtmlElementObject::IsResolved(const char* mpszName) {
    if (_ptInnerApplet && _ptInnerApplet->IsResolved(mpszName)) return true;
    if (KxwJswAutomationObject* ptControl = ControlForScript())
        if (ptControl->IsResolved(mpszName)) return true;
    return KxwDomHtmlElementWithName::IsResolved(mpszName);
}

bool KxwDomHtmlElementObject::GetPropertyByName(const char* mpszName, void** mppvValue, unsigned* mpnLength,
                                                KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) {
    if (_ptInnerApplet && _ptInnerApplet->IsResolved(mpszName))
        return _ptInnerApplet->GetPropertyByName(mpszName, mppvValue, mpnLength, mpeType);
    if (_ptActiveX && _ptActiveX->IsResolved(mpszName))
        return _ptActiveX->GetPropertyByName(mpszName, mppvValue, mpnLength, mpeType);
    return KxwDomHtmlElementWithName::GetPropertyByName(mpszName, mppvValue, mpnLength, mpeType);
}

bool KxwDomHtmlElementObject::SetNamedItem(const char* mpszName, const KxwJsval& mrtValue) {
    if (_ptInnerApplet) return _ptInnerApplet->SetNamedItem(mpszName, mrtValue);
    return _ptActiveX && _ptActiveX->SetNamedItem(mpszName, mrtValue);
}

bool KxwDomHtmlElementObject::SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) {
    if (const auto* ptText = xfptKxwDomReflectedTextByName(katReflectedTexts, mpszName)) {
        (this->*ptText->_ptMember).SetParsed(ParsedText(mpszValueOrNull));
        return true;
    }
    return KxwDomHtmlElementWithName::SetParsedProperty(mpszName, mpszValueOrNull);
}

void KxwDomHtmlElementObject::CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const {
    KxwDomHtmlElementWithName::CopyClassPropertiesTo(mrtClone);
    auto& rtClone = static_cast<KxwDomHtmlElementObject&>(mrtClone);
    for (const auto& rtText : katReflectedTexts) CopySpecifiedText(this->*rtText._ptMember, rtClone.*rtText._ptMember);
}

void KxwDomHtmlElementObject::GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const {
    // The name first, as every element with a name writes it, then the class's own.
    mrtText.ConcatHtmlProperty("name", GetName());
    for (const auto& rtText : katReflectedTexts)
        mrtText.ConcatHtmlProperty(rtText._pszAttributeName, this->*rtText._ptMember);
    KxwDomHtmlElement::GenerateHtmlProperties(mrtText);
}

const KxwJswClassInformation* KxwDomHtmlElementObject::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(&KxwDomHtmlElementWithName::GetElementWithNameClassInformation(),
                                                    "ACTIVEX_OBJECT", katObjectProperties, katNoMethods, nullptr,
                                                    KXW_JSW_CLASS_KIND_NAMED_ITEMS);
    return &ktClassInfo;
}

bool KxwDomHtmlElementObject::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId == kIdObject) {
        // An applet's object is the applet; a control's, the control (made now if it may be).
        if (_ptInnerApplet)
            mrtPropertyInfo.AssignDomObjectOrNull(_ptInnerApplet);
        else
            mrtPropertyInfo.AssignDomObjectOrNull(ControlForScript());
        return true;
    }
    if (const auto* ptText = xfptKxwDomReflectedTextById(katReflectedTexts, mnTinyId)) {
        mrtPropertyInfo = this->*ptText->_ptMember;
        return true;
    }
    return KxwDomHtmlElementWithName::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
}

bool KxwDomHtmlElementObject::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (const auto* ptText = xfptKxwDomReflectedTextById(katReflectedTexts, mnTinyId)) {
        this->*ptText->_ptMember = mrtPropertyInfo;
        return true;
    }
    return KxwDomHtmlElementWithName::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
}
