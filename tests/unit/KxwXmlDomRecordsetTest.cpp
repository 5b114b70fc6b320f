// The record set over a document: rows, fields by name and position, moving past either end.
#include <gtest/gtest.h>

#include "KxwXmlDomTestSupport.h"

using namespace kxw_xml_test;

TEST(KxwXmlDomRecordsetTest, RowsAndFields) {
    KxwAutoRef<KxwAutomation> tDoc = Load(
        "<people><person><name>Ann</name><age>31</age></person><person><name>Bob</name><age>42</age></person>"
        "</people>");
    KxwAutoRef<KxwAutomation> tRs = KxwAutoRef<KxwAutomation>::Adopt(xfptKxwXmlDomCreateRecordset(tDoc.Get()));
    ASSERT_TRUE(tRs);
    EXPECT_EQ(2, IntOf(tRs.Get(), "RecordCount"));
    EXPECT_FALSE(Call(tRs.Get(), "EOF").GetBool());
    EXPECT_FALSE(Call(tRs.Get(), "BOF").GetBool());
    EXPECT_EQ(1, IntOf(tRs.Get(), "AbsolutePosition"));
    KxwAutoRef<KxwAutomation> tFields = ObjOf(tRs.Get(), "Fields");
    EXPECT_EQ(2, IntOf(tFields.Get(), "Count"));
    KxwAutoRef<KxwAutomation> tName = ObjOf(tFields.Get(), "Item", {S("name")});
    EXPECT_EQ("Ann", TextOf(tName.Get(), "Value"));
    KxwAutoValue tSecond;
    ASSERT_TRUE(tFields->GetItem(1, tSecond));
    EXPECT_EQ("age", TextOf(tSecond.GetObject(), "Name"));
    KxwAutoValue tDirect;
    ASSERT_TRUE(tRs->GetItem(0, tDirect));
    EXPECT_EQ("Ann", TextOf(tDirect.GetObject(), "Value"));

    Call(tRs.Get(), "MoveNext");
    EXPECT_EQ("Bob", TextOf(tName.Get(), "Value"));  // a field follows the current row
    EXPECT_EQ(2, IntOf(tRs.Get(), "AbsolutePosition"));
    EXPECT_EQ(KXW_AUTO_S_OK, Put(tName.Get(), "Value", S("Rob")));
    EXPECT_EQ("Rob", TextOf(ObjOf(tDoc.Get(), "selectSingleNode", {S("//person[2]/name")}).Get(), "text"));
    Call(tRs.Get(), "MoveNext");
    EXPECT_TRUE(Call(tRs.Get(), "EOF").GetBool());
    EXPECT_EQ(-3, IntOf(tRs.Get(), "AbsolutePosition"));
    Call(tName.Get(), "Value");
    EXPECT_FALSE(xfbKxwAutoSucceeded(Last()._lResult));
    EXPECT_NE(std::string::npos, Last()._dsError.find("BOF or EOF"));
    Call(tRs.Get(), "MoveNext");
    EXPECT_FALSE(xfbKxwAutoSucceeded(Last()._lResult));

    Call(tRs.Get(), "MoveFirst");
    Call(tRs.Get(), "MovePrevious");
    EXPECT_TRUE(Call(tRs.Get(), "BOF").GetBool());
    Call(tRs.Get(), "MoveLast");
    EXPECT_EQ(2, IntOf(tRs.Get(), "AbsolutePosition"));
    Call(tRs.Get(), "Move", {I(-1)});
    EXPECT_EQ(1, IntOf(tRs.Get(), "AbsolutePosition"));
    Call(tRs.Get(), "Move", {I(10)});
    EXPECT_TRUE(Call(tRs.Get(), "EOF").GetBool());
    EXPECT_EQ(KXW_AUTO_S_OK, Put(tRs.Get(), "AbsolutePosition", I(2)));
    EXPECT_EQ("42", TextOf(ObjOf(ObjOf(tRs.Get(), "Fields").Get(), "Item", {I(1)}).Get(), "Value"));
    EXPECT_EQ(KXW_AUTO_E_INVALIDARG, Put(tRs.Get(), "AbsolutePosition", I(3)));
    Call(ObjOf(tRs.Get(), "Fields").Get(), "Item", {S("missing")});
    EXPECT_FALSE(xfbKxwAutoSucceeded(Last()._lResult));
}

TEST(KxwXmlDomRecordsetTest, EmptyDocumentsHaveNoRows) {
    KxwAutoRef<KxwAutomation> tDoc = NewDocument();
    KxwAutoRef<KxwAutomation> tRs = KxwAutoRef<KxwAutomation>::Adopt(xfptKxwXmlDomCreateRecordset(tDoc.Get()));
    EXPECT_EQ(0, IntOf(tRs.Get(), "RecordCount"));
    EXPECT_TRUE(Call(tRs.Get(), "EOF").GetBool() && Call(tRs.Get(), "BOF").GetBool());
    EXPECT_EQ(0, IntOf(ObjOf(tRs.Get(), "Fields").Get(), "Count"));
    // Rows follow the document's loads.
    Call(tDoc.Get(), "loadXML", {S("<r><row><f>1</f></row></r>")});
    EXPECT_EQ(1, IntOf(tRs.Get(), "RecordCount"));
    EXPECT_EQ(nullptr, xfptKxwXmlDomCreateRecordset(nullptr));
}
