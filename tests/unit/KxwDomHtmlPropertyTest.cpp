#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <string>

#include "KxwDomHtmlProperty.h"
#include "KxwDomHtmlTextsStr.h"
#include "KxwDomPropertyInfo.h"
#include "KxwDomStr.h"
#include "KxwDomStrEnv.h"
#include "KxwJswClassInformation.h"
#include "KxwJswUserObjBase.h"
#include "KxwRecordingSink.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwHswApi.h"
#include "kxw/KxwJsval.h"
#include "kxw/KxwJswEngine.h"
#include "kxw/KxwObjMgr.h"
#include "kxw/KxwVUserVars.h"

namespace {

constexpr unsigned kBadLen = 0xFFFFFFFFu;

void* Word(intptr_t miValue) {
    return reinterpret_cast<void*>(miValue);
}

std::string Dcs(const KxwDomHtmlPropertyStr& mrtProperty) {
    return std::string(mrtProperty.GetDcsStr(), mrtProperty.GetDcsLenInBytes());
}

std::string Markup(const KxwDomHtmlTextsStr& mrtText) {
    return std::string(mrtText.GetStr(), mrtText.GetLen());
}

// Restores the script-error level a test changed.
class JavaScriptErrorLevel {
public:
    explicit JavaScriptErrorLevel(KXW_WTL_SEV_LVL_ENUM meSevLvl) : _eSaved(xfeKxwUtilJavaScriptErrorSevLvl()) {
        xfvKxwUtilSetJavaScriptErrorSevLvl(meSevLvl);
    }
    ~JavaScriptErrorLevel() { xfvKxwUtilSetJavaScriptErrorSevLvl(_eSaved); }

private:
    KXW_WTL_SEV_LVL_ENUM _eSaved;
};

bool NothingPasses(KXW_WTL_SEV_LVL_ENUM) {
    return false;
}

const KxwJswPropertySpec katNoProperties[] = {{nullptr, 0, 0, nullptr}};
const KxwJswMethodSpec katNoMethods[] = {{nullptr, nullptr, nullptr, 0}};
const KxwJswClassInformation ktPropertyTestClass(nullptr, "KxwHtmlPropertyTestObject", katNoProperties, katNoMethods);

class KxwPropertyTestObj : public KxwJswUserObjBase {
public:
    const KxwJswClassInformation* GetClassInformation() const override { return &ktPropertyTestClass; }
};

class KxwDomHtmlPropertyStrTest : public ::testing::Test {
protected:
    KxwDomStrEnvExplicit _tEnv{nullptr, nullptr};
};

}  // namespace

TEST_F(KxwDomHtmlPropertyStrTest, MarkupGivesTheValueUntilOneIsSpecified) {
    KxwDomHtmlPropertyStr tProperty(_tEnv);
    EXPECT_FALSE(tProperty.IsSpecified());
    EXPECT_TRUE(tProperty.IsEmpty());
    EXPECT_EQ("", Dcs(tProperty));
    EXPECT_EQ(nullptr, tProperty.GetDomStr());

    tProperty.SetParsed("first");
    EXPECT_TRUE(tProperty.IsSpecified());
    tProperty.SetParsed("second");
    EXPECT_EQ("first", Dcs(tProperty)) << "a specified value is not replaced by the markup";

    tProperty.SetSpecified(false);
    EXPECT_EQ("first", Dcs(tProperty)) << "unmarking keeps the text";
    tProperty.SetParsed("third");
    EXPECT_EQ("third", Dcs(tProperty));
    EXPECT_TRUE(tProperty.IsSpecified()) << "every store marks the value";

    KxwDomHtmlPropertyStr tEmpty(_tEnv);
    tEmpty.SetSpecified(true);
    EXPECT_TRUE(tEmpty.IsSpecified());
    EXPECT_TRUE(tEmpty.IsEmpty());

    KxwDomHtmlPropertyStr tDefault(_tEnv, "text", 4, u"text", 4);
    EXPECT_FALSE(tDefault.IsSpecified()) << "a constructor's value is a default";
    EXPECT_EQ(u"text", std::u16string(tDefault.GetU16nStr(), tDefault.GetU16nLenInChars()));

    // Long attribute values are kept whole.
    std::string dsLong(70000, 'v');
    KxwDomHtmlPropertyStr tLong(_tEnv);
    tLong.SetParsed(dsLong.c_str());
    EXPECT_EQ(70000u, tLong.GetDcsLenInBytes());
    EXPECT_EQ(70000u, tLong.GetU16nLenInChars());
}

TEST_F(KxwDomHtmlPropertyStrTest, ScriptValuesAreStoredAsScriptsWriteThem) {
    KxwDomHtmlPropertyStr tProperty(_tEnv);
    EXPECT_TRUE(tProperty.SetValue(const_cast<char16_t*>(u"\u20acuro"), 4, KXW_JSW_OBJ_PROP_TYPE_STRING));
    EXPECT_EQ(u"\u20acuro", std::u16string(tProperty.GetU16nStr(), tProperty.GetU16nLenInChars()));
    EXPECT_TRUE(tProperty.IsSpecified());
    EXPECT_TRUE(tProperty.SetValue(Word(-42), 0, KXW_JSW_OBJ_PROP_TYPE_INT));
    EXPECT_EQ("-42", Dcs(tProperty));
    double dfValue = 2.5;
    EXPECT_TRUE(tProperty.SetValue(&dfValue, 0, KXW_JSW_OBJ_PROP_TYPE_DOUBLE));
    EXPECT_EQ("2.500000", Dcs(tProperty));
    EXPECT_TRUE(tProperty.SetValue(Word(1), 0, KXW_JSW_OBJ_PROP_TYPE_BOOLEAN));
    EXPECT_EQ("true", Dcs(tProperty));
    EXPECT_TRUE(tProperty.SetValue(nullptr, 0, KXW_JSW_OBJ_PROP_TYPE_BOOLEAN));
    EXPECT_EQ("false", Dcs(tProperty));
    EXPECT_TRUE(tProperty.SetValue(nullptr, 0, KXW_JSW_OBJ_PROP_TYPE_NULL));
    EXPECT_EQ("null", Dcs(tProperty));
    EXPECT_TRUE(tProperty.SetValue(nullptr, 0, KXW_JSW_OBJ_PROP_TYPE_UNDEFINED));
    EXPECT_EQ("undefined", Dcs(tProperty));

    // The fixed-point form of a huge number has hundreds of digits; all of them are kept.
    double dfHuge = 1e300;
    EXPECT_TRUE(tProperty.SetValue(&dfHuge, 0, KXW_JSW_OBJ_PROP_TYPE_DOUBLE));
    char acExpected[400];
    int iExpectedLen = std::snprintf(acExpected, sizeof acExpected, "%f", dfHuge);
    ASSERT_GT(iExpectedLen, 300);
    EXPECT_EQ(std::string(acExpected, static_cast<size_t>(iExpectedLen)), Dcs(tProperty));
    EXPECT_EQ(".000000", Dcs(tProperty).substr(static_cast<size_t>(iExpectedLen) - 7));

    KxwRecordingSink tSink;
    KxwDomHtmlPropertyStr tKept(_tEnv);
    tKept.SetDcs("kept", 4);
    EXPECT_FALSE(tKept.SetValue(const_cast<char16_t*>(u"x"), kBadLen, KXW_JSW_OBJ_PROP_TYPE_STRING));
    EXPECT_FALSE(tKept.SetValue(nullptr, 0, KXW_JSW_OBJ_PROP_TYPE_NONE));
    EXPECT_FALSE(tKept.SetValue(nullptr, 0, KXW_JSW_OBJ_PROP_TYPE_DOM_OBJECT)) << "no script interface here";
    EXPECT_EQ("kept", Dcs(tKept)) << "a value that cannot be converted leaves the stored one";
    auto tMessages = tSink.Messages();
    ASSERT_EQ(3u, tMessages.size());
    EXPECT_EQ(
        "KxwDomHtmlPropertyStr::SetValue Invalid value length (4294967295) for property "
        "type=KXW_JSW_OBJ_PROP_TYPE_STRING",
        tMessages[0]._dsText);
    EXPECT_EQ("KxwDomHtmlPropertyStr::SetValue Unsupported type (11)", tMessages[1]._dsText);
    EXPECT_EQ("ptHswApi==NULL in KxwDomHtmlPropertyStr::SetValue", tMessages[2]._dsText);
    for (const auto& rtMessage : tMessages) EXPECT_EQ(xfeKxwUtilJavaScriptErrorSevLvl(), rtMessage._eSevLvl);
}

TEST_F(KxwDomHtmlPropertyStrTest, NoValueRemovesTheStringAndComparisonsReadAbsentAsEmpty) {
    KxwDomHtmlPropertyStr tProperty(_tEnv);
    tProperty.SetDcs("Value", 5);
    KxwDomPropertyInfo tInfo;
    tInfo.AssignNoValue();
    tProperty = tInfo;
    EXPECT_FALSE(tProperty.IsSpecified());
    EXPECT_EQ(nullptr, tProperty.GetDomStr());

    tInfo.AssignU16nStr(u"assigned", 8, false);
    tProperty = tInfo;
    EXPECT_EQ("assigned", Dcs(tProperty));
    EXPECT_TRUE(tProperty.IsSpecified());

    // An absent string compares as the empty text.
    KxwDomStr tEmpty(_tEnv);
    KxwDomStr tUpper(_tEnv, "ASSIGNED", 8);
    KxwDomHtmlPropertyStr tAbsent(_tEnv);
    EXPECT_TRUE(tAbsent == tEmpty);
    EXPECT_TRUE(tAbsent.IsEqualDcs("", 0));
    EXPECT_FALSE(tAbsent.IsEqualIgnoringCase(tUpper));
    EXPECT_FALSE(tProperty == tAbsent);
    EXPECT_TRUE(tProperty.IsEqualIgnoringCase(tUpper));

    tProperty.SetU16nFromDcs("dcs", 3);
    EXPECT_EQ(u"dcs", std::u16string(tProperty.GetU16nStr(), tProperty.GetU16nLenInChars()));
    tProperty.SetDcsFromU16n(u"u16", 3);
    EXPECT_EQ("u16", Dcs(tProperty));
}

TEST(KxwDomHtmlPropertyNumLong, MarkupAndScriptNumbers) {
    KxwDomHtmlPropertyNumLong tProperty(5);
    EXPECT_EQ(5, tProperty.GetLong());
    EXPECT_FALSE(tProperty.IsSpecified());
    tProperty.SetParsed("12px");
    EXPECT_EQ(0x7FFFFFFF, tProperty.GetLong()) << "no number in the emulated Internet Explorer";
    EXPECT_TRUE(tProperty.IsSpecified());
    tProperty.SetParsed("8");
    EXPECT_EQ(0x7FFFFFFF, tProperty.GetLong()) << "the markup does not replace a specified value";
    tProperty.SetParsed(nullptr);
    EXPECT_EQ(0, tProperty.GetLong()) << "a null text always stores 0";

    KxwDomHtmlPropertyNumLong tNs;
    {
        KxwVUserVars tVUser;
        KxwObjMgr tObjMgr(&tVUser);
        tVUser.GetRTS().SetBrowserMajorType(KXWI_BROWSER_MAJOR_TYPE_NS);
        KxwVUserVarsThreadBinding tBinding(&tVUser);
        tNs.SetParsed("12px");
    }
    EXPECT_EQ(12, tNs.GetLong());

    KxwDomHtmlPropertyNumLong tScript;
    double dfValue = 2.5;
    EXPECT_TRUE(tScript.SetValue(&dfValue, 0, KXW_JSW_OBJ_PROP_TYPE_DOUBLE));
    EXPECT_EQ(2, tScript.GetLong());
    EXPECT_TRUE(tScript.IsSpecified());
    dfValue = -2.9;
    tScript.SetValue(&dfValue, 0, KXW_JSW_OBJ_PROP_TYPE_DOUBLE);
    EXPECT_EQ(-2, tScript.GetLong()) << "toward zero";
    dfValue = std::numeric_limits<double>::quiet_NaN();
    tScript.SetValue(&dfValue, 0, KXW_JSW_OBJ_PROP_TYPE_DOUBLE);
    EXPECT_EQ(0, tScript.GetLong());
    dfValue = 1e20;
    tScript.SetValue(&dfValue, 0, KXW_JSW_OBJ_PROP_TYPE_DOUBLE);
    EXPECT_EQ(2147483647, tScript.GetLong());
    dfValue = -std::numeric_limits<double>::infinity();
    tScript.SetValue(&dfValue, 0, KXW_JSW_OBJ_PROP_TYPE_DOUBLE);
    EXPECT_EQ(-2147483647L - 1, tScript.GetLong());
    EXPECT_TRUE(tScript.SetValue(const_cast<char16_t*>(u" 42 "), 4, KXW_JSW_OBJ_PROP_TYPE_STRING));
    EXPECT_EQ(42, tScript.GetLong());
    EXPECT_TRUE(tScript.SetValue(Word(1), 0, KXW_JSW_OBJ_PROP_TYPE_BOOLEAN));
    EXPECT_EQ(1, tScript.GetLong());
    EXPECT_TRUE(tScript.SetValue(nullptr, 0, KXW_JSW_OBJ_PROP_TYPE_UNDEFINED));
    EXPECT_EQ(0, tScript.GetLong());

    KxwRecordingSink tSink;
    tScript.SetLong(6);
    EXPECT_FALSE(tScript.SetValue(nullptr, 0, KXW_JSW_OBJ_PROP_TYPE_DOUBLE));
    EXPECT_FALSE(tScript.SetValue(const_cast<char16_t*>(u"1"), kBadLen, KXW_JSW_OBJ_PROP_TYPE_STRING));
    EXPECT_FALSE(tScript.SetValue(nullptr, 0, KXW_JSW_OBJ_PROP_TYPE_INVALID));
    EXPECT_EQ(6, tScript.GetLong());
    EXPECT_TRUE(
        tSink.Saw("mpvPropValue==NULL for mePropType==KXW_JSW_OBJ_PROP_TYPE_DOUBLE in "
                  "KxwDomHtmlPropertyNumLong::SetValue. Value not set"));
    EXPECT_TRUE(
        tSink.Saw("mnPropValueLen==-1 for mePropType==KXW_JSW_OBJ_PROP_TYPE_STRING in "
                  "KxwDomHtmlPropertyNumLong::SetValue. Value not set"));
    EXPECT_TRUE(tSink.Saw("Invalid mePropType (0) in KxwDomHtmlPropertyNumLong::SetValue. Value not set"));

    KxwDomPropertyInfo tInfo;
    tInfo = 31;
    tScript = tInfo;
    EXPECT_EQ(31, tScript.GetLong());
    tInfo.AssignNoValue();
    tScript = tInfo;
    EXPECT_FALSE(tScript.IsSpecified());
    EXPECT_EQ(31, tScript.GetLong()) << "no value clears the mark only";

    KxwDomHtmlPropertyNumLong tWide(5000000000L);
    EXPECT_EQ(2147483647, tWide.GetLong()) << "a 64-bit long is saturated, not wrapped";
}

TEST(KxwDomHtmlPropertyBool, PresenceIsTrueAndScriptsConvertByTruth) {
    KxwDomHtmlPropertyBool tProperty;
    tProperty.SetParsed("false");
    EXPECT_TRUE(tProperty.GetBool()) << "an attribute that is present is true";
    EXPECT_TRUE(tProperty.IsSpecified());
    KxwDomHtmlPropertyBool tScriptSet;
    tScriptSet.SetBool(false);
    tScriptSet.SetParsed("");
    EXPECT_FALSE(tScriptSet.GetBool());

    double dfNaN = std::nan("");
    double dfZero = 0.0;
    EXPECT_TRUE(tProperty.SetValue(&dfZero, 0, KXW_JSW_OBJ_PROP_TYPE_DOUBLE));
    EXPECT_FALSE(tProperty.GetBool());
    EXPECT_TRUE(tProperty.SetValue(&dfNaN, 0, KXW_JSW_OBJ_PROP_TYPE_DOUBLE));
    EXPECT_TRUE(tProperty.GetBool());
    tProperty.SetValue(const_cast<char16_t*>(u""), 0, KXW_JSW_OBJ_PROP_TYPE_STRING);
    EXPECT_FALSE(tProperty.GetBool());
    tProperty.SetValue(const_cast<char16_t*>(u"0"), 1, KXW_JSW_OBJ_PROP_TYPE_STRING);
    EXPECT_TRUE(tProperty.GetBool()) << "a non-empty string is true";
    tProperty.SetValue(Word(0), 0, KXW_JSW_OBJ_PROP_TYPE_INT);
    EXPECT_FALSE(tProperty.GetBool());
    tProperty.SetValue(Word(0x100000000LL), 0, KXW_JSW_OBJ_PROP_TYPE_INT);
    EXPECT_FALSE(tProperty.GetBool()) << "an integer is the low 32 bits of the word";
    tProperty.SetValue(Word(0x1234), 0, KXW_JSW_OBJ_PROP_TYPE_FUNCTION);
    EXPECT_TRUE(tProperty.GetBool());

    KxwRecordingSink tSink;
    tProperty.SetBool(true);
    EXPECT_FALSE(tProperty.SetValue(nullptr, kBadLen, KXW_JSW_OBJ_PROP_TYPE_STRING));
    EXPECT_FALSE(tProperty.SetValue(nullptr, 0, KXW_JSW_OBJ_PROP_TYPE_DOUBLE));
    EXPECT_FALSE(tProperty.SetValue(nullptr, 0, KXW_JSW_OBJ_PROP_TYPE_NONE));
    EXPECT_TRUE(tProperty.GetBool());
    EXPECT_EQ(3u, tSink.Count());
    EXPECT_TRUE(tSink.Saw("Invalid mePropType (11) in KxwDomHtmlPropertyBool::ObtainBoolValueOK. Value not set"));

    KxwDomPropertyInfo tInfo;
    tInfo = false;
    tProperty = tInfo;
    EXPECT_FALSE(tProperty.GetBool());
    tInfo.AssignNoValue();
    tProperty = tInfo;
    EXPECT_FALSE(tProperty.IsSpecified());
}

TEST(KxwDomHtmlPropertyResettableBool, TheDefaultComesBack) {
    KxwDomHtmlPropertyResettableBool tChecked(true);
    EXPECT_TRUE(tChecked.GetBool());
    EXPECT_TRUE(tChecked.GetDefaultBool());
    EXPECT_FALSE(tChecked.IsSpecified());

    KxwDomHtmlPropertyResettableBool tParsed;
    tParsed.SetParsed("checked");
    EXPECT_TRUE(tParsed.GetBool());
    EXPECT_TRUE(tParsed.GetDefaultBool());
    EXPECT_TRUE(tParsed.IsSpecified());

    tParsed.SetBool(false);
    tParsed.Reset();
    EXPECT_TRUE(tParsed.GetBool());
    EXPECT_TRUE(tParsed.IsSpecified()) << "Reset keeps the mark";

    EXPECT_TRUE(tParsed.SetDefaultValue(nullptr, 0, KXW_JSW_OBJ_PROP_TYPE_NULL));
    EXPECT_FALSE(tParsed.GetDefaultBool());
    EXPECT_TRUE(tParsed.GetBool()) << "the default changes alone";
    KxwRecordingSink tSink;
    EXPECT_FALSE(tParsed.SetDefaultValue(nullptr, 0, KXW_JSW_OBJ_PROP_TYPE_DOUBLE));
    EXPECT_FALSE(tParsed.GetDefaultBool());

    KxwDomPropertyInfo tInfo;
    tInfo.AssignNoValue();
    tParsed = tInfo;
    EXPECT_FALSE(tParsed.GetBool()) << "no value restores the default";
    EXPECT_FALSE(tParsed.IsSpecified());
    tInfo = true;
    tParsed = tInfo;
    EXPECT_TRUE(tParsed.GetBool());
    EXPECT_FALSE(tParsed.GetDefaultBool());

    // A script's value stays when the markup arrives later; the markup still gives the default.
    KxwDomHtmlPropertyResettableBool tLate;
    tLate.SetBool(false);
    tLate.SetParsed("");
    EXPECT_FALSE(tLate.GetBool());
    EXPECT_TRUE(tLate.GetDefaultBool());
}

TEST(KxwDomHtmlPropertyBase, MethodArgumentsThatCannotBeConvertedAreToldToTheAuthor) {
    KxwDomHtmlPropertyNumLong tProperty(4);
    bool bOK = true;
    {
        KxwRecordingSink tSink;
        JavaScriptErrorLevel tLevel(KXW_WTL_SEV_LVL_ENUM_IGNORED_FRAME);
        EXPECT_TRUE(tProperty.SetMethodArgValue("setWidth", 1, Word(8), 0, KXW_JSW_OBJ_PROP_TYPE_INT, &bOK));
        EXPECT_EQ(8, tProperty.GetLong());
        EXPECT_EQ(0u, tSink.Count());

        EXPECT_FALSE(tProperty.SetMethodArgValue("setWidth", 2, nullptr, 0, KXW_JSW_OBJ_PROP_TYPE_DOUBLE, &bOK));
        EXPECT_FALSE(bOK) << "script errors fail the run at this level";
        EXPECT_EQ(8, tProperty.GetLong());
        auto tMessages = tSink.Messages();
        ASSERT_EQ(2u, tMessages.size());  // the property's own report, then the catalogued message
        EXPECT_EQ(-35953, tMessages[1]._iMsgId);
        EXPECT_EQ(KXW_WTL_SEV_LVL_ENUM_IGNORED_FRAME, tMessages[1]._eSevLvl);
        EXPECT_EQ("xfbKxwDomUtilFailedToConvert", tMessages[1]._dsFunction);
        EXPECT_EQ("setWidth: cannot convert the value (nil) of argument 2 to type 5", tMessages[1]._dsText);
    }
    {
        KxwRecordingSink tSink;
        bOK = true;
        EXPECT_FALSE(tProperty.SetMethodArgValue(nullptr, 0, Word(0x20), 0, KXW_JSW_OBJ_PROP_TYPE_NONE, &bOK));
        EXPECT_TRUE(bOK) << "at the notice level the run goes on";
        EXPECT_TRUE(tSink.Saw("[Unknown]: cannot convert the value 0x20 of argument 0 to type 11"));
        EXPECT_FALSE(tProperty.SetMethodArgValue(nullptr, 0, Word(0x20), 0, KXW_JSW_OBJ_PROP_TYPE_NONE, nullptr));
    }
    {
        KxwRecordingSink tSink(&NothingPasses);
        JavaScriptErrorLevel tLevel(KXW_WTL_SEV_LVL_ENUM_NO_OBJ_MGR);
        bOK = true;
        tProperty.SetMethodArgValue("m", 0, nullptr, 0, KXW_JSW_OBJ_PROP_TYPE_INVALID, &bOK);
        EXPECT_EQ(0u, tSink.Count());
        EXPECT_FALSE(bOK) << "a filtered message still fails the run";
    }
}

TEST(KxwDomHtmlTextsStr, StoredPropertiesAsMarkup) {
    KxwDomStrEnvExplicit tEnv(nullptr, nullptr);
    KxwDomHtmlPropertyStr tHref(tEnv), tTitle(tEnv), tUnset(tEnv), tDefault(tEnv, "text", 4, u"text", 4);
    tHref.SetDcs("a.html?x=1&y=\"2\"", 16);
    tTitle.SetSpecified(true);
    KxwDomHtmlPropertyNumLong tSize, tZero, tWidth(7);
    tZero.SetLong(0);
    KxwDomHtmlPropertyBool tChecked(true), tDisabled;

    KxwDomHtmlTextsStr tText(16);
    tText.ConcatHtmlOpeningTagPrefix("A", 1);
    tText.ConcatHtmlProperty("href", 4, tHref);
    tText.ConcatHtmlProperty("title", 5, tTitle);
    tText.ConcatHtmlProperty("name", 4, tUnset);
    tText.ConcatHtmlProperty("type", 4, tDefault);
    tText.ConcatHtmlProperty("size", 4, tSize);
    tText.ConcatHtmlProperty("tabindex", 8, tZero);
    tText.ConcatHtmlProperty("width", 5, tWidth);
    tText.ConcatHtmlProperty("checked", 7, tChecked);
    tText.ConcatHtmlProperty("disabled", 8, tDisabled);
    tText.ConcatHtmlOpeningTagSuffix();
    tText.ConcatHtmlText(tHref);
    tText.ConcatHtmlTextAsIs(tHref);
    tText.ConcatHtmlText(tUnset);
    tText.ConcatHtmlTextAsIs(tTitle);
    EXPECT_EQ(
        "<A href=\"a.html?x=1&amp;y=&quot;2&quot;\" title=\"\" type=\"text\" tabindex=0 width=7 checked>"
        "a.html?x=1&amp;y=&quot;2&quot;a.html?x=1&y=\"2\"",
        Markup(tText));

    // Attribute values are written whole, however long.
    KxwDomHtmlPropertyStr tLong(tEnv);
    tLong.SetParsed(std::string(70000, 'v').c_str());
    KxwDomHtmlTextsStr tLongText;
    tLongText.ConcatHtmlProperty("value", 5, tLong);
    EXPECT_EQ(70000 + 9, tLongText.GetLen());
}

TEST(KxwDomHtmlPropertyStrEngine, ObjectsAndFunctionsAreStoredByTheirStringForm) {
    KxwJswEngine* ptEngine = KxwJswEngine::Create();
    ASSERT_NE(nullptr, ptEngine);
    {
        KxwHswApi tHswApi(ptEngine);
        KxwVUserVars tVUser;
        tVUser.SetHswApi(&tHswApi);
        KxwVUserVarsThreadBinding tBinding(&tVUser);
        KxwDomStrEnvExplicit tEnv(nullptr, nullptr);
        KxwDomHtmlPropertyStr tProperty(tEnv);

        KxwPropertyTestObj tObj;
        ASSERT_TRUE(tProperty.SetValue(&tObj, KXW_JSW_DOM_OBJECT_LEN, KXW_JSW_OBJ_PROP_TYPE_DOM_OBJECT));
        EXPECT_EQ("[object KxwHtmlPropertyTestObject]", Dcs(tProperty));

        KxwJswScriptEvaluationNotifier tNotifier;
        const char szScript[] = "(function go() { return 2; })";
        KxwJsval tFunction;
        ASSERT_TRUE(tHswApi.EvaluateUtf8(tNotifier, nullptr, szScript, sizeof szScript - 1, "p.js", 1, &tFunction));
        KxwJsvalProt tRoot(tFunction);
        ASSERT_TRUE(tProperty.SetValue(const_cast<void*>(tFunction.GetValueAddress()), 0, KXW_JSW_OBJ_PROP_TYPE_FUNCTION));
        EXPECT_EQ("function go() { return 2; }", Dcs(tProperty));

        // A method argument that holds an engine value reaches the property through an info too.
        KxwDomPropertyInfo tInfo(tFunction);
        KxwDomHtmlPropertyStr tFromInfo(tEnv);
        tFromInfo = tInfo;
        EXPECT_EQ("function go() { return 2; }", Dcs(tFromInfo));
    }
    delete ptEngine;
}
