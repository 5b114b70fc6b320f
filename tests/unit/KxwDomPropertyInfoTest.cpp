#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "KxwDomHtmlProperty.h"
#include "KxwDomPropertyInfo.h"
#include "KxwDomStr.h"
#include "KxwDomStrEnv.h"
#include "KxwJswClassInformation.h"
#include "KxwJswUserObjBase.h"
#include "KxwRecordingSink.h"
#include "kxw/KxwHswApi.h"
#include "kxw/KxwJsval.h"
#include "kxw/KxwJswEngine.h"
#include "kxw/KxwVUserVars.h"

namespace {

const KxwJswPropertySpec katNoProperties[] = {{nullptr, 0, 0, nullptr}};
const KxwJswMethodSpec katNoMethods[] = {{nullptr, nullptr, nullptr, 0}};
const KxwJswClassInformation ktInfoTestClass(nullptr, "KxwPropertyInfoTestObject", katNoProperties, katNoMethods);

// The smallest scriptable object: enough for values that carry a DOM object.
class KxwInfoTestObj : public KxwJswUserObjBase {
public:
    const KxwJswClassInformation* GetClassInformation() const override { return &ktInfoTestClass; }
};

// An engine on the test's thread, its script interface bound to a virtual user's block, and a script runner.
class KxwPropertyInfoEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        _ptEngine = KxwJswEngine::Create();
        ASSERT_NE(nullptr, _ptEngine);
        _ptHswApi = std::make_unique<KxwHswApi>(_ptEngine);
        _tVUser.SetHswApi(_ptHswApi.get());
        _ptBinding = std::make_unique<KxwVUserVarsThreadBinding>(&_tVUser);
    }
    void TearDown() override {
        _ptBinding.reset();
        _ptHswApi.reset();
        delete _ptEngine;
    }

    KxwJsval Eval(const std::string& mdsScript) {
        KxwJswScriptEvaluationNotifier tNotifier;
        KxwJsval tResult;
        EXPECT_TRUE(
            _ptHswApi->EvaluateUtf8(tNotifier, nullptr, mdsScript.data(), mdsScript.size(), "info.js", 1, &tResult));
        return tResult;
    }

    static std::u16string Text(KxwDomPropertyInfo& mrtInfo) {
        const char16_t* pwcText = mrtInfo.ConvertAndGetStringU16n();
        return std::u16string(pwcText, mrtInfo.ConvertAndGetStringU16nLength());
    }

    KxwJswEngine* _ptEngine = nullptr;
    std::unique_ptr<KxwHswApi> _ptHswApi;
    KxwVUserVars _tVUser;
    std::unique_ptr<KxwVUserVarsThreadBinding> _ptBinding;
};

}  // namespace

TEST(KxwDomPropertyInfo, PlainValuesAndTheirWrapperTriples) {
    KxwDomPropertyInfo tInfo;
    EXPECT_EQ(KXW_DOM_PROPERTY_INFO_TYPE_INVALID, tInfo.GetType());
    // Created on the stack on every property read, never kept: small, with room for the engine value's root.
    EXPECT_LE(sizeof(KxwDomPropertyInfo), 80u);

    tInfo.SetIsSpecified(true);
    tInfo = -7;
    EXPECT_FALSE(tInfo.IsSpecified()) << "an assignment clears the mark";
    EXPECT_EQ(KXW_JSW_OBJ_PROP_TYPE_INT, tInfo.GetJswObjPropType());
    EXPECT_EQ(-7, static_cast<int>(reinterpret_cast<intptr_t>(tInfo.GetValue())));
    EXPECT_EQ(-7, tInfo.GetInt());
    EXPECT_EQ(-7.0, tInfo.GetDouble());

    tInfo = true;
    EXPECT_EQ(KXW_JSW_OBJ_PROP_TYPE_BOOLEAN, tInfo.GetJswObjPropType());
    EXPECT_NE(nullptr, tInfo.GetValue());
    EXPECT_TRUE(tInfo.GetBoolean());

    double dfValue = 2.5;
    tInfo = &dfValue;
    EXPECT_EQ(&dfValue, tInfo.GetValue());
    EXPECT_EQ(2.5, tInfo.GetDouble());

    tInfo.AssignU16nStr(u"abc", 3, false);
    tInfo.SetIsSpecified(true);
    tInfo.PartialReset();
    EXPECT_FALSE(tInfo.IsSpecified());
    EXPECT_EQ(KXW_DOM_PROPERTY_INFO_TYPE_STRING, tInfo.GetType()) << "PartialReset keeps the value";
    EXPECT_EQ(0u, tInfo.GetLength()) << "and clears the length";

    tInfo.AssignU16nStr(u"const", 5, true);
    EXPECT_EQ(KXW_DOM_PROPERTY_INFO_TYPE_STRING_HELD_ELSEWHERE, tInfo.GetType());
    EXPECT_EQ(KXW_JSW_OBJ_PROP_TYPE_STRING, tInfo.GetJswObjPropType());
    EXPECT_EQ(5u, tInfo.GetLength());

    tInfo.AssignNoValue();
    EXPECT_FALSE(tInfo.HasValue());
    EXPECT_EQ(KXW_JSW_OBJ_PROP_TYPE_NONE, tInfo.GetJswObjPropType());
    EXPECT_EQ(u"", std::u16string(tInfo.ConvertAndGetStringU16n()));
    EXPECT_EQ(KXW_DOM_PROPERTY_INFO_TYPE_STRING_HELD_ELSEWHERE, tInfo.GetType()) << "no value becomes the empty text";
    EXPECT_EQ(0u, tInfo.ConvertAndGetStringU16nLength());
    EXPECT_TRUE(tInfo.HasValue());

    KxwDomStrEnvExplicit tEnv(nullptr, nullptr);
    KxwDomStr tStr(tEnv, "from dcs", 8);
    tInfo = tStr;
    EXPECT_EQ(KXW_DOM_PROPERTY_INFO_TYPE_STRING, tInfo.GetType());
    EXPECT_EQ(8u, tInfo.GetLength());
    EXPECT_EQ(u"from dcs", std::u16string(static_cast<const char16_t*>(tInfo.GetValue()), tInfo.GetLength()));
}

TEST(KxwDomPropertyInfo, TriplesAndBadInputAreReported) {
    KxwRecordingSink tSink;
    KxwDomPropertyInfo tInfo;
    tInfo = static_cast<const double*>(nullptr);
    EXPECT_EQ(KXW_DOM_PROPERTY_INFO_TYPE_UNDEFINED, tInfo.GetType());
    EXPECT_TRUE(tSink.Saw("mpdfDouble is NULL in KxwDomPropertyInfo::operator=(double *)"));

    tInfo.Assign(reinterpret_cast<void*>(intptr_t{1}), 0, KXW_JSW_OBJ_PROP_TYPE_BOOLEAN);
    EXPECT_TRUE(tInfo.GetBoolean());
    tInfo.Assign(reinterpret_cast<void*>(intptr_t{-3}), 0, KXW_JSW_OBJ_PROP_TYPE_INT);
    EXPECT_EQ(-3, tInfo.GetInt());
    tInfo.Assign(const_cast<char16_t*>(u"xyz"), 2, KXW_JSW_OBJ_PROP_TYPE_STRING);
    EXPECT_EQ(KXW_DOM_PROPERTY_INFO_TYPE_STRING, tInfo.GetType());
    EXPECT_EQ(2u, tInfo.GetLength());
    tInfo.Assign(nullptr, 0, KXW_JSW_OBJ_PROP_TYPE_NULL);
    EXPECT_EQ(KXW_DOM_PROPERTY_INFO_TYPE_NULL, tInfo.GetType());
    tInfo.Assign(nullptr, 0, KXW_JSW_OBJ_PROP_TYPE_FUNCTION);
    EXPECT_EQ(KXW_DOM_PROPERTY_INFO_TYPE_NULL, tInfo.GetType()) << "a null engine value pointer is script null";

    tSink.Clear();
    tInfo.Assign(reinterpret_cast<void*>(intptr_t{0x10}), 4, KXW_JSW_OBJ_PROP_TYPE_NONE);
    EXPECT_EQ(KXW_DOM_PROPERTY_INFO_TYPE_UNDEFINED, tInfo.GetType());
    EXPECT_TRUE(
        tSink.Saw("Unsupported/invalid mePropType=11 in KxwDomPropertyInfo::Assign. mpvPropValue=0x10, "
                  "mnPropValueLen=4"));

    void* pvValue = reinterpret_cast<void*>(intptr_t{9});
    unsigned nLen = 0;
    KXW_JSW_OBJ_PROP_TYPE_ENUM eType = KXW_JSW_OBJ_PROP_TYPE_INT;
    tInfo.Assign(&pvValue, &nLen, &eType);
    EXPECT_EQ(9, tInfo.GetInt());
    tSink.Clear();
    tInfo.Assign(&pvValue, nullptr, &eType);
    EXPECT_EQ(KXW_DOM_PROPERTY_INFO_TYPE_UNDEFINED, tInfo.GetType());
    EXPECT_TRUE(tSink.Saw("/ mpnPropValueLen=(nil) / mpePropType="));

    tSink.Clear();
    EXPECT_EQ(0, tInfo.GetInt());
    EXPECT_EQ(nullptr, tInfo.GetDomObject());
    EXPECT_TRUE(tSink.Saw("Invalid _ucType=8 in KxwDomPropertyInfo::GetInt"));
    EXPECT_TRUE(tSink.Saw("Invalid _ucType=8 in KxwDomPropertyInfo::GetDomObject"));

    tSink.Clear();
    tInfo = 5;
    EXPECT_EQ(u"", std::u16string(tInfo.ConvertAndGetStringU16n()));
    EXPECT_TRUE(tSink.Saw("Invalid _ucType=4 in KxwDomPropertyInfo::ConvertAndGetStringU16n"));
    tSink.Clear();
    KxwDomPropertyInfo tInvalid;
    EXPECT_EQ(nullptr, tInvalid.GetValue());
    EXPECT_TRUE(tSink.Saw("Invalid _ucType. Using 'undefined' in KxwDomPropertyInfo::GetValue. _ucType=0"));
}

TEST(KxwDomPropertyInfo, ReferencesReadTheStoredPropertyWhenConverted) {
    KxwDomStrEnvExplicit tEnv(nullptr, nullptr);
    KxwDomHtmlPropertyStr tStr(tEnv);
    KxwDomHtmlPropertyNumLong tLong(3);
    KxwDomHtmlPropertyBool tBool;
    KxwDomPropertyInfo tStrInfo, tLongInfo, tBoolInfo;
    tStrInfo = tStr;
    tLongInfo = tLong;
    tBoolInfo = tBool;
    EXPECT_FALSE(tStrInfo.IsSpecified());
    EXPECT_EQ(KXW_JSW_OBJ_PROP_TYPE_STRING, tStrInfo.GetJswObjPropType());
    EXPECT_EQ(KXW_JSW_OBJ_PROP_TYPE_INT, tLongInfo.GetJswObjPropType());
    EXPECT_EQ(KXW_JSW_OBJ_PROP_TYPE_BOOLEAN, tBoolInfo.GetJswObjPropType());
    EXPECT_EQ(0u, tStrInfo.GetLength());
    EXPECT_EQ(u"", std::u16string(static_cast<const char16_t*>(tStrInfo.GetValue())));

    // The properties change after the infos were filled: the infos read the new values.
    tStr.SetDcs("href", 4);
    tLong.SetLong(-12);
    tBool.SetBool(true);
    EXPECT_TRUE(tStrInfo.IsSpecified());
    EXPECT_TRUE(tLongInfo.IsSpecified());
    EXPECT_TRUE(tBoolInfo.IsSpecified());
    EXPECT_EQ(4u, tStrInfo.GetLength());
    EXPECT_EQ(-12, static_cast<int>(reinterpret_cast<intptr_t>(tLongInfo.GetValue())));
    EXPECT_NE(nullptr, tBoolInfo.GetValue());

    KxwDomPropertyInfo tCopy(tStrInfo);
    EXPECT_EQ(KXW_DOM_PROPERTY_INFO_TYPE_STRING, tStrInfo.ConvertToJswObjPropType());
    EXPECT_TRUE(tStrInfo.IsSpecified()) << "the mark survives the conversion";
    EXPECT_EQ(u"href", std::u16string(static_cast<const char16_t*>(tStrInfo.GetValue()), tStrInfo.GetLength()));
    EXPECT_EQ(u"href", std::u16string(tCopy.ConvertAndGetStringU16n(), tCopy.ConvertAndGetStringU16nLength()))
        << "a stored text is a text, not an invalid type";
    EXPECT_EQ(KXW_DOM_PROPERTY_INFO_TYPE_INT, tLongInfo.ConvertToJswObjPropType());
    EXPECT_EQ(-12, tLongInfo.GetInt());
    EXPECT_TRUE(tLongInfo.IsSpecified());
    EXPECT_EQ(KXW_DOM_PROPERTY_INFO_TYPE_BOOLEAN, tBoolInfo.ConvertToJswObjPropType());
    EXPECT_TRUE(tBoolInfo.GetBoolean());

    tStr.RemoveValue();
    tStrInfo = tStr;
    EXPECT_EQ(KXW_DOM_PROPERTY_INFO_TYPE_STRING, tStrInfo.ConvertToJswObjPropType());
    EXPECT_EQ(0u, tStrInfo.GetLength());
    ASSERT_NE(nullptr, tStrInfo.GetValue()) << "a property without a string gives the empty text";
    EXPECT_FALSE(tStrInfo.IsSpecified());
}

TEST_F(KxwPropertyInfoEngineTest, EveryTypeBecomesTheEngineValueItCarries) {
    KxwInfoTestObj tObj;
    KxwDomPropertyInfo tInfo;

    tInfo = static_cast<const KxwJswUserObjBase*>(&tObj);
    EXPECT_EQ(&tObj, tInfo.GetJsval().GetRawDomObject());
    EXPECT_EQ(&tObj, tInfo.GetDomObject());
    tInfo.AssignU16nStr(u"t\u00e9xt", 4, false);
    EXPECT_EQ("t\xc3\xa9xt", tInfo.GetJsval().GetStringUtf8());
    tInfo.AssignEmptyStr();
    EXPECT_TRUE(tInfo.GetJsval().IsString());
    tInfo = 42;
    EXPECT_EQ(42, tInfo.GetJsval().GetInt());
    double dfValue = 0.25;
    tInfo = &dfValue;
    EXPECT_EQ(0.25, tInfo.GetJsval().GetDouble());
    tInfo = false;
    EXPECT_TRUE(tInfo.GetJsval().IsBoolean());
    EXPECT_FALSE(tInfo.GetJsval().GetBoolean());
    tInfo.AssignNull();
    EXPECT_TRUE(tInfo.GetJsval().IsNull());
    tInfo.AssignUndefined();
    EXPECT_TRUE(tInfo.GetJsval().IsUndefined());

    KxwJsvalProt tArray(Eval("[1, 2]"));
    tInfo = static_cast<const JSObject*>(tArray.Get().GetRawObject());
    EXPECT_EQ(KXW_DOM_PROPERTY_INFO_TYPE_JS_OBJECT, tInfo.GetType());
    EXPECT_EQ(tArray.Get().GetRawObject(), tInfo.GetJsval().GetRawObject());
    EXPECT_EQ("1,2", tInfo.GetJsval().GetStringUtf8());

    KxwDomStrEnvExplicit tEnv(nullptr, nullptr);
    KxwDomHtmlPropertyStr tStr(tEnv);
    tStr.SetDcs("stored", 6);
    KxwDomHtmlPropertyNumLong tLong(77);
    KxwDomHtmlPropertyBool tBool(true);
    tInfo = tStr;
    EXPECT_EQ("stored", tInfo.GetJsval().GetStringUtf8());
    tInfo = tLong;
    EXPECT_EQ(77, tInfo.GetJsval().GetInt());
    tInfo = tBool;
    EXPECT_TRUE(tInfo.GetJsval().GetBoolean());

    KxwRecordingSink tSink;
    tInfo.AssignNoValue();
    EXPECT_TRUE(tInfo.GetJsval().IsUndefined());
    EXPECT_TRUE(tSink.Saw("Invalid _ucType. Using 'undefined' in KxwDomPropertyInfo::GetJsval. _ucType=16"));
}

TEST_F(KxwPropertyInfoEngineTest, EngineValuesAreClassifiedInPlace) {
    KxwInfoTestObj tObj;
    KxwJsval tObjValue;
    ASSERT_TRUE(tObjValue.SetDomObject(&tObj));
    KxwJsvalProt tObjRoot(tObjValue);

    struct Case {
        const char* _pszScript;
        KXW_DOM_PROPERTY_INFO_TYPE_ENUM _eType;
    };
    const Case atCases[] = {
        {"undefined", KXW_DOM_PROPERTY_INFO_TYPE_UNDEFINED},
        {"null", KXW_DOM_PROPERTY_INFO_TYPE_NULL},
        {"1 < 2", KXW_DOM_PROPERTY_INFO_TYPE_BOOLEAN},
        {"6 * 7", KXW_DOM_PROPERTY_INFO_TYPE_INT},
        {"5 / 2", KXW_DOM_PROPERTY_INFO_TYPE_DOUBLE},
        {"'a' + 'b'", KXW_DOM_PROPERTY_INFO_TYPE_STRING},
        {"(function f() {})", KXW_DOM_PROPERTY_INFO_TYPE_FUNCTION},
        {"({a: 1})", KXW_DOM_PROPERTY_INFO_TYPE_JSVAL},
    };
    for (const Case& rtCase : atCases) {
        KxwJsvalProt tRoot(Eval(rtCase._pszScript));
        KxwDomPropertyInfo tInfo(tRoot.Get());
        tInfo.SetIsSpecified(true);
        EXPECT_EQ(rtCase._eType, tInfo.ConvertToJswObjPropType()) << rtCase._pszScript;
        EXPECT_TRUE(tInfo.IsSpecified()) << rtCase._pszScript;
        // The converted value becomes the same engine value again.
        EXPECT_EQ(tRoot.Get().GetStringUtf8(), tInfo.GetJsval().GetStringUtf8()) << rtCase._pszScript;
    }

    KxwJsvalProt tDouble(Eval("5 / 2"));
    KxwDomPropertyInfo tInfo(tDouble.Get());
    tInfo.ConvertToJswObjPropType();
    EXPECT_EQ(2.5, *static_cast<const double*>(tInfo.GetValue()));
    KxwJsvalProt tString(Eval("'x'.repeat(3)"));
    tInfo = tString.Get();
    tInfo.ConvertToJswObjPropType();
    EXPECT_EQ(u"xxx", std::u16string(static_cast<const char16_t*>(tInfo.GetValue()), tInfo.GetLength()));

    tInfo = tObjRoot.Get();
    EXPECT_EQ(KXW_DOM_PROPERTY_INFO_TYPE_DOM_OBJECT, tInfo.ConvertToJswObjPropType());
    EXPECT_EQ(&tObj, tInfo.GetDomObject());
}

TEST_F(KxwPropertyInfoEngineTest, EngineValuesConvertAsScriptsDo) {
    KxwJsvalProt tHex(Eval("'0x10'"));
    KxwDomPropertyInfo tInfo(tHex.Get());
    EXPECT_EQ(16, tInfo.GetInt());
    EXPECT_TRUE(tInfo.GetBoolean());
    EXPECT_EQ(u"0x10", Text(tInfo));
    EXPECT_EQ(KXW_DOM_PROPERTY_INFO_TYPE_STRING, tInfo.GetType()) << "the engine value was converted in place";

    KxwJsvalProt tNumber(Eval("1 / 4"));
    tInfo = tNumber.Get();
    EXPECT_EQ(u"0.25", Text(tInfo));

    // A function read back through the wrapper's triple: GetValue points at the engine value.
    KxwJsvalProt tFunction(Eval("(function hello() { return 1; })"));
    tInfo = tFunction.Get();
    EXPECT_EQ(KXW_JSW_OBJ_PROP_TYPE_FUNCTION, tInfo.GetJswObjPropType());
    std::u16string dsSource;
    ASSERT_TRUE(_ptHswApi->ConvertToU16nString(tInfo.GetValue(), tInfo.GetJswObjPropType(), dsSource));
    EXPECT_EQ(u"function hello() { return 1; }", dsSource);

    // A method argument arrives as a pointer to the engine value; the info holds the value itself.
    KxwJsval tArg = tFunction.Get();
    KxwDomPropertyInfo tFromTriple;
    tFromTriple.Assign(const_cast<void*>(tArg.GetValueAddress()), 0, KXW_JSW_OBJ_PROP_TYPE_FUNCTION);
    tArg.SetNull();
    EXPECT_TRUE(tFromTriple.GetJsval().IsFunction());

    KxwRecordingSink tSink;
    KxwJsvalProt tPlain(Eval("({})"));
    tInfo = tPlain.Get();
    EXPECT_EQ(KXW_JSW_OBJ_PROP_TYPE_NONE, tInfo.GetJswObjPropType());
    EXPECT_TRUE(tSink.Saw("No corresponding KXW_JSW_OBJ_PROP_TYPE_* for jsval"));
    EXPECT_EQ(nullptr, tInfo.GetDomObject());
}

TEST_F(KxwPropertyInfoEngineTest, CopiesOwnTheirConvertedValues) {
    auto ptOriginal = std::make_unique<KxwDomPropertyInfo>();
    {
        KxwJsvalProt tText(Eval("'converted ' + 'text'"));
        *ptOriginal = tText.Get();
        EXPECT_EQ(u"converted text", Text(*ptOriginal));
    }
    KxwDomPropertyInfo tCopy(*ptOriginal);
    KxwDomPropertyInfo tAssigned;
    tAssigned = *ptOriginal;
    EXPECT_NE(ptOriginal->GetValue(), tCopy.GetValue()) << "a deep copy";
    ptOriginal.reset();
    EXPECT_EQ(u"converted text", Text(tCopy));
    EXPECT_EQ(u"converted text", Text(tAssigned));

    KxwJsvalProt tDouble(Eval("1 / 8"));
    KxwDomPropertyInfo tNumber(tDouble.Get());
    tNumber.ConvertToJswObjPropType();
    KxwDomPropertyInfo tNumberCopy(tNumber);
    tNumber = 1;
    EXPECT_EQ(0.125, tNumberCopy.GetDouble());

    // Re-assigning an info its own converted text keeps that text alive.
    KxwDomPropertyInfo tSelf(tCopy);
    tSelf.AssignU16nStr(tSelf.ConvertAndGetStringU16n(), 9, false);
    EXPECT_EQ(u"converted", Text(tSelf));
}
