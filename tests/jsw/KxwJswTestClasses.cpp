#include "KxwJswTestClasses.h"

#include <string>

namespace {

std::u16string TextOf(const KxwJsval& mrtValue) {
    KxwJsval tCopy = mrtValue;
    unsigned nLen = 0;
    const char16_t* pwcText = tCopy.GetStringU16n(&nLen);
    return std::u16string(pwcText, nLen);
}

// ---- Methods of the derived class, one per signature letter ----

bool echoString_callback(KxwJswUserObjBase* mptUserObj, unsigned mnArgc, void** mpapvArgv, unsigned* mpanArgvLen,
                         KXW_JSW_OBJ_PROP_TYPE_ENUM* mpaeType, void** mppvRetVal, unsigned* mpnRetValLen,
                         KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeRetValType) {
    auto* ptThis = dynamic_cast<KxwTestDerived*>(mptUserObj);
    if (!ptThis || mnArgc < 1 || mpaeType[0] != KXW_JSW_OBJ_PROP_TYPE_STRING) return false;
    // The result must outlive the call: keep it in the object.
    ptThis->_dsExtra.assign(static_cast<const char16_t*>(mpapvArgv[0]), mpanArgvLen[0]);
    ptThis->_dsExtra += u"!";
    *mppvRetVal = const_cast<char16_t*>(ptThis->_dsExtra.c_str());
    *mpnRetValLen = static_cast<unsigned>(ptThis->_dsExtra.size());
    *mpeRetValType = KXW_JSW_OBJ_PROP_TYPE_STRING;
    return true;
}

bool addInts_callback(KxwJswUserObjBase*, unsigned mnArgc, void** mpapvArgv, unsigned*,
                      KXW_JSW_OBJ_PROP_TYPE_ENUM* mpaeType, void** mppvRetVal, unsigned*,
                      KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeRetValType) {
    if (mnArgc < 2 || mpaeType[0] != KXW_JSW_OBJ_PROP_TYPE_INT || mpaeType[1] != KXW_JSW_OBJ_PROP_TYPE_INT)
        return false;
    auto iSum =
        static_cast<int32_t>(reinterpret_cast<intptr_t>(mpapvArgv[0]) + reinterpret_cast<intptr_t>(mpapvArgv[1]));
    *mppvRetVal = reinterpret_cast<void*>(static_cast<intptr_t>(iSum));
    *mpeRetValType = KXW_JSW_OBJ_PROP_TYPE_INT;
    return true;
}

bool negate_callback(KxwJswUserObjBase*, unsigned mnArgc, void** mpapvArgv, unsigned*,
                     KXW_JSW_OBJ_PROP_TYPE_ENUM* mpaeType, void** mppvRetVal, unsigned* mpnRetValLen,
                     KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeRetValType) {
    if (mnArgc < 1 || mpaeType[0] != KXW_JSW_OBJ_PROP_TYPE_BOOLEAN) return false;
    *mppvRetVal = reinterpret_cast<void*>(static_cast<intptr_t>(mpapvArgv[0] == nullptr));
    *mpnRetValLen = 4;
    *mpeRetValType = KXW_JSW_OBJ_PROP_TYPE_BOOLEAN;
    return true;
}

// 'o': gives back the DOM object it was given, or null.
bool same_callback(KxwJswUserObjBase*, unsigned mnArgc, void** mpapvArgv, unsigned*,
                   KXW_JSW_OBJ_PROP_TYPE_ENUM* mpaeType, void** mppvRetVal, unsigned* mpnRetValLen,
                   KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeRetValType) {
    if (mnArgc < 1) return false;
    if (mpaeType[0] == KXW_JSW_OBJ_PROP_TYPE_DOM_OBJECT) {
        *mppvRetVal = mpapvArgv[0];
        *mpnRetValLen = KXW_JSW_DOM_OBJECT_LEN;
        *mpeRetValType = KXW_JSW_OBJ_PROP_TYPE_DOM_OBJECT;
    } else {
        *mpeRetValType = KXW_JSW_OBJ_PROP_TYPE_NULL;
    }
    return true;
}

// 'f' then '*': calls nothing, reports what it received as "kind:kind".
bool kinds_callback(KxwJswUserObjBase* mptUserObj, unsigned mnArgc, void**, unsigned*,
                    KXW_JSW_OBJ_PROP_TYPE_ENUM* mpaeType, void** mppvRetVal, unsigned* mpnRetValLen,
                    KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeRetValType) {
    auto* ptThis = dynamic_cast<KxwTestDerived*>(mptUserObj);
    if (!ptThis) return false;
    ptThis->_dsExtra.clear();
    for (unsigned n = 0; n < mnArgc; ++n) {
        if (n) ptThis->_dsExtra += u":";
        ptThis->_dsExtra += static_cast<char16_t>(u'0' + mpaeType[n]);
    }
    *mppvRetVal = const_cast<char16_t*>(ptThis->_dsExtra.c_str());
    *mpnRetValLen = static_cast<unsigned>(ptThis->_dsExtra.size());
    *mpeRetValType = KXW_JSW_OBJ_PROP_TYPE_STRING;
    return true;
}

// A method whose callback refuses: the script sees a catchable error.
bool refuse_callback(KxwJswUserObjBase*, unsigned, void**, unsigned*, KXW_JSW_OBJ_PROP_TYPE_ENUM*, void**, unsigned*,
                     KXW_JSW_OBJ_PROP_TYPE_ENUM*) {
    return false;
}

// Converts by itself: the number of arguments and the first one's text.
bool raw_callback(KxwJswUserObjBase*, KxwJswCallArgs& mrtArgs) {
    std::u16string dsText = std::u16string(1, static_cast<char16_t>(u'0' + mrtArgs.Length())) + u":";
    std::u16string dsArg;
    // A conversion that throws fails the call: the exception goes on to the script.
    if (mrtArgs.Length() > 0 && !mrtArgs.Get(0).ToStringU16n(dsArg, mrtArgs.GetContext())) return false;
    dsText += dsArg;
    KxwJsval tResult;
    tResult.SetStringU16n(dsText.data(), dsText.size(), mrtArgs.GetContext());
    mrtArgs.SetResult(tResult);
    return true;
}

// Collects while the script is on the stack: deletions must wait for the evaluation to end.
bool collect_callback(KxwJswUserObjBase*, KxwJswCallArgs& mrtArgs) {
    KxwJswEngine::Current()->CollectGarbage();
    KxwJsval tResult;
    tResult.SetInt(KxwTestCounts::Live());
    mrtArgs.SetResult(tResult);
    return true;
}

// The same with a collection that also compacts: engine objects move while the script's natives hold them.
bool compact_callback(KxwJswUserObjBase*, KxwJswCallArgs& mrtArgs) {
    KxwJswEngine::Current()->CollectGarbage(true);
    mrtArgs.SetResult(KxwJsval());
    return true;
}

// A new engine-owned object, as script constructors make them.
KxwJswUserObjBase* construct_Thing(KxwJswCallArgs& mrtArgs) {
    auto* ptThing = new KxwTestBase("thing", true);
    if (mrtArgs.Length() > 0) ptThing->_dsValue = TextOf(mrtArgs.Get(0));
    return ptThing;
}

const KxwJswPropertySpec katBaseProperties[] = {
    {"name", 128, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY, nullptr},
    {"value", 129, KXW_JSW_PROP_PERMANENT, "S"},
    {"number", 130, KXW_JSW_PROP_PERMANENT, "i"},
    {"flag", 131, KXW_JSW_PROP_PERMANENT, "b"},
    {"object", 132, KXW_JSW_PROP_PERMANENT, "o"},
    {nullptr, 0, 0, nullptr},
};
const KxwJswMethodSpec katNoMethods[] = {{nullptr, nullptr, nullptr, 0}};
const KxwJswCtorRegistrator katConstructors[] = {{"Thing", construct_Thing, 1}, {nullptr, nullptr, 0}};

const KxwJswPropertySpec katDerivedProperties[] = {
    {"extra", 133, KXW_JSW_PROP_PERMANENT, "S"},
    {nullptr, 0, 0, nullptr},
};
const KxwJswMethodSpec katDerivedMethods[] = {
    {"echoString", echoString_callback, "S", 1},
    {"addInts", addInts_callback, "ii", 2},
    {"negate", negate_callback, "b", 1},
    {"same", same_callback, "o", 1},
    {"kinds", kinds_callback, "f*", 2},
    {"refuse", refuse_callback, "", 0},
    {"raw", nullptr, nullptr, 1, raw_callback},
    {"collect", nullptr, nullptr, 0, collect_callback},
    {"compact", nullptr, nullptr, 0, compact_callback},
    {nullptr, nullptr, nullptr, 0},
};

bool greet_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    auto* ptThis = dynamic_cast<KxwTestWindow*>(mptUserObj);
    if (!ptThis) return false;
    std::string dsText = "hello from " + ptThis->_dsName;
    KxwJsval tResult;
    tResult.SetStringUtf8(dsText.data(), dsText.size(), mrtArgs.GetContext());
    mrtArgs.SetResult(tResult);
    return true;
}

const KxwJswMethodSpec katWindowMethods[] = {
    {"greet", nullptr, nullptr, 0, greet_callback},
    {nullptr, nullptr, nullptr, 0},
};

const KxwJswClassInformation ktBaseClassInfo(nullptr, "TestBase", katBaseProperties, katNoMethods, katConstructors);
const KxwJswClassInformation ktDerivedClassInfo(&ktBaseClassInfo, "TestDerived", katDerivedProperties,
                                                katDerivedMethods);
const KxwJswClassInformation ktContainerClassInfo(&ktBaseClassInfo, "TestContainer", nullptr, katNoMethods, nullptr,
                                                  KXW_JSW_CLASS_KIND_NAMED_ITEMS);
const KxwJswClassInformation ktWindowClassInfo(&ktContainerClassInfo, "TestWindow", nullptr, katWindowMethods, nullptr,
                                               KXW_JSW_CLASS_KIND_NAMED_ITEMS);

}  // namespace

const KxwJswClassInformation* KxwTestBase::GetClassInformation() const {
    return &ktBaseClassInfo;
}

bool KxwTestBase::GetDomPropertyJsval(short mnTinyId, KxwJsval& mrtValue) {
    switch (mnTinyId) {
        case -128:
            return mrtValue.SetStringUtf8(_dsName.data(), _dsName.size());
        case -127:
            return mrtValue.SetStringU16n(_dsValue.data(), _dsValue.size());
        case -126:
            mrtValue.SetInt(_iNumber);
            return true;
        case -125:
            mrtValue.SetBoolean(_bFlag);
            return true;
        case -124:
            return mrtValue.SetDomObject(_ptObject);
        default:
            _tCalls.push_back("get " + std::to_string(mnTinyId));
            mrtValue.SetUndefined();
            return false;
    }
}

bool KxwTestBase::SetDomPropertyJsval(short mnTinyId, const KxwJsval& mrtValue) {
    switch (mnTinyId) {
        case -127:
            _dsValue = TextOf(mrtValue);
            return true;
        case -126:
            _iNumber = mrtValue.GetInt();
            return true;
        case -125:
            _bFlag = mrtValue.GetBoolean();
            return true;
        case -124:
            _ptObject = mrtValue.GetRawDomObject();
            return true;
        default:
            _tCalls.push_back("set " + std::to_string(mnTinyId));
            return false;
    }
}

const KxwJswClassInformation* KxwTestDerived::GetClassInformation() const {
    return &ktDerivedClassInfo;
}

bool KxwTestDerived::GetDomPropertyJsval(short mnTinyId, KxwJsval& mrtValue) {
    if (mnTinyId == -123) return mrtValue.SetStringU16n(_dsExtra.data(), _dsExtra.size());
    return KxwTestBase::GetDomPropertyJsval(mnTinyId, mrtValue);
}

bool KxwTestDerived::SetDomPropertyJsval(short mnTinyId, const KxwJsval& mrtValue) {
    if (mnTinyId == -123) {
        _dsExtra = TextOf(mrtValue);
        return true;
    }
    return KxwTestBase::SetDomPropertyJsval(mnTinyId, mrtValue);
}

const KxwJswClassInformation* KxwTestContainer::GetClassInformation() const {
    return &ktContainerClassInfo;
}

bool KxwTestContainer::GetPropertyByName(const char* mpszName, void** mppvValue, unsigned* mpnLength,
                                         KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) {
    auto it = _tItems.find(mpszName);
    if (it == _tItems.end()) return false;
    *mppvValue = it->second;
    *mpnLength = KXW_JSW_DOM_OBJECT_LEN;
    *mpeType = KXW_JSW_OBJ_PROP_TYPE_DOM_OBJECT;
    return true;
}

bool KxwTestContainer::GetPropByIndex(int32_t mnIndex, void** mppvValue, unsigned* mpnLength,
                                      KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) {
    if (mnIndex < 0 || static_cast<size_t>(mnIndex) >= _tIndexed.size()) return false;
    *mppvValue = _tIndexed[static_cast<size_t>(mnIndex)];
    *mpnLength = KXW_JSW_DOM_OBJECT_LEN;
    *mpeType = KXW_JSW_OBJ_PROP_TYPE_DOM_OBJECT;
    return true;
}

const KxwJswClassInformation* KxwTestWindow::GetClassInformation() const {
    return &ktWindowClassInfo;
}
