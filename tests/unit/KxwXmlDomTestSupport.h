// Calls on the XML objects by member name, as the script adapter makes them, for the XML object tests.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "KxwAutomation.h"
#include "KxwUtilUtf.h"
#include "KxwXmlDom.h"

namespace kxw_xml_test {

// The result code of the last call, and its description when it failed.
struct LastCall {
    KxwAutoResult _lResult = KXW_AUTO_S_OK;
    std::string _dsError;
};
inline LastCall& Last() {
    static LastCall s_tLast;
    return s_tLast;
}

inline KxwAutoValue S(const char* mpsz) {
    return KxwAutoValue::Utf8(mpsz);
}
inline KxwAutoValue I(int32_t mi) {
    return KxwAutoValue::Int(mi);
}
inline KxwAutoValue B(bool mb) {
    return KxwAutoValue::Bool(mb);
}
inline KxwAutoValue O(KxwAutomation* mpt) {
    return KxwAutoValue::Object(KxwAutoRef<KxwAutomation>(mpt));
}

// A method is called with the arguments; a property is read. KXW_AUTO_E_UNKNOWNNAME when the object has no such
// member.
inline KxwAutoValue Call(KxwAutomation* mptObject, const char* mpszName, const KxwAutoArgs& mrtArgs = {}) {
    KxwAutoValue tResult;
    KxwAutoMember tMember;
    Last() = LastCall();
    if (!mptObject || !mptObject->FindMember(mpszName, tMember)) {
        Last()._lResult = KXW_AUTO_E_UNKNOWNNAME;
        return tResult;
    }
    Last()._lResult = tMember._eKind == KXW_AUTO_MEMBER_METHOD ? mptObject->Call(tMember._iId, mrtArgs, tResult)
                                                               : mptObject->Get(tMember._iId, tResult);
    if (!xfbKxwAutoSucceeded(Last()._lResult)) Last()._dsError = mptObject->GetErrorDescription();
    return tResult;
}

inline KxwAutoResult Put(KxwAutomation* mptObject, const char* mpszName, const KxwAutoValue& mrtValue) {
    KxwAutoMember tMember;
    Last() = LastCall();
    if (!mptObject || !mptObject->FindMember(mpszName, tMember)) return Last()._lResult = KXW_AUTO_E_UNKNOWNNAME;
    Last()._lResult = mptObject->Put(tMember._iId, mrtValue);
    if (!xfbKxwAutoSucceeded(Last()._lResult)) Last()._dsError = mptObject->GetErrorDescription();
    return Last()._lResult;
}

inline bool Has(KxwAutomation* mptObject, const char* mpszName) {
    KxwAutoMember tMember;
    return mptObject->FindMember(mpszName, tMember);
}

inline std::string Text(const KxwAutoValue& mrtValue) {
    std::string ds;
    mrtValue.ToUtf8(ds);
    return ds;
}

inline std::string TextOf(KxwAutomation* mptObject, const char* mpszName, const KxwAutoArgs& mrtArgs = {}) {
    return Text(Call(mptObject, mpszName, mrtArgs));
}

inline int32_t IntOf(KxwAutomation* mptObject, const char* mpszName, const KxwAutoArgs& mrtArgs = {}) {
    int32_t i = -999;
    Call(mptObject, mpszName, mrtArgs).ToInt(i);
    return i;
}

// The object a call answered (held by the caller's reference).
inline KxwAutoRef<KxwAutomation> ObjOf(KxwAutomation* mptObject, const char* mpszName,
                                       const KxwAutoArgs& mrtArgs = {}) {
    KxwAutoValue tValue = Call(mptObject, mpszName, mrtArgs);
    return KxwAutoRef<KxwAutomation>(tValue.GetObject());
}

inline KxwAutoRef<KxwAutomation> NewDocument() {
    return KxwAutoRef<KxwAutomation>::Adopt(xfptKxwXmlDomCreateDocument());
}

inline KxwAutoRef<KxwAutomation> Load(const char* mpszXml, bool mbPreserveWhiteSpace = false) {
    KxwAutoRef<KxwAutomation> tDocument = NewDocument();
    if (mbPreserveWhiteSpace) Put(tDocument.Get(), "preserveWhiteSpace", B(true));
    KxwAutoValue tLoaded = Call(tDocument.Get(), "loadXML", {S(mpszXml)});
    EXPECT_TRUE(tLoaded.GetBool()) << mpszXml;
    return tDocument;
}

}  // namespace kxw_xml_test
