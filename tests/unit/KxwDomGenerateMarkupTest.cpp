// Markup and inner text generated from trees the page parser never builds: elements split over place holders by
// mis-nested markup, which are written back mis-nested as the source had them.
#include <gtest/gtest.h>

#include <string>

#include "KxwDomCoreTextNode.h"
#include "KxwDomHtmlTestClasses.h"
#include "KxwDomPlaceHolderNode.h"
#include "KxwRecordingSink.h"

namespace {

using KxwDomGenerateMarkupTest = KxwDomHtmlTest;

KxwDomCoreTextNode* NewText(KxwDomHtmlDocument* mptDocument, const char16_t* mpwszText) {
    KxwDomCoreTextNode* ptText = KxwDomCoreTextNode::AllocTextNode(mptDocument, true);
    ptText->SetNodeValueU16n(mpwszText, static_cast<unsigned>(std::char_traits<char16_t>::length(mpwszText)));
    return ptText;
}

TEST_F(KxwDomGenerateMarkupTest, ASplitElementIsWrittenBackMisNested) {
    // <div><b><i>x</b>y</i>z</div>: I is split over a place holder in B and one after B.
    BuildPage("<div id=d></div>");
    KxwDomHtmlElement* ptDiv = ById("d");
    ASSERT_NE(nullptr, ptDiv);
    KxwDomHtmlElement* ptB = NewElement("b");
    KxwDomHtmlElement* ptI = NewElement("i");
    auto* ptFirst = new (_ptMemMgr) KxwDomPlaceHolderNode(_ptDocument, _ptMemMgr, ptI);
    auto* ptSecond = new (_ptMemMgr) KxwDomPlaceHolderNode(_ptDocument, _ptMemMgr, ptI);
    ptFirst->BasicAppendChild(NewText(_ptDocument, u"x"));
    ptSecond->BasicAppendChild(NewText(_ptDocument, u"y"));
    ptB->BasicAppendChild(ptFirst);
    ptDiv->BasicAppendChild(ptB);
    ptDiv->BasicAppendChild(ptSecond);
    ptDiv->BasicAppendChild(NewText(_ptDocument, u"z"));
    ASSERT_TRUE(ptI->IsSplit());

    KxwRecordingSink tSink;
    // From an ancestor: the start tag once, at the first place holder; the end tag after the last one.
    EXPECT_EQ(u"<B><I>x</B>y</I>z", ptDiv->GetInnerOuterHtml(false));
    // From the split element: B ends between the two parts; after the last part only I's own end tag follows,
    // no end tag of the element that holds it.
    EXPECT_EQ(u"<I>x</B>y</I>", ptI->GetInnerOuterHtml(true));
    EXPECT_EQ(u"x</B>y", ptI->GetInnerOuterHtml(false));
    EXPECT_EQ(u"<B><I>x</B>", ptB->GetInnerOuterHtml(true)) << "B holds only the first part of I";
    EXPECT_EQ(u"xyz", ptDiv->GetInnerText());
    EXPECT_EQ(u"xy", ptI->GetInnerText());
    EXPECT_EQ(0u, tSink.Count()) << "nothing was reported";
}

TEST_F(KxwDomGenerateMarkupTest, AParagraphSplitOverPlaceHoldersBreaksTheLineOnce) {
    BuildPage("<div id=d></div>");
    KxwDomHtmlElement* ptDiv = ById("d");
    ASSERT_NE(nullptr, ptDiv);
    KxwDomHtmlElement* ptSpan = NewElement("span");
    KxwDomHtmlElement* ptP = NewElement("p");
    auto* ptFirst = new (_ptMemMgr) KxwDomPlaceHolderNode(_ptDocument, _ptMemMgr, ptP);
    auto* ptSecond = new (_ptMemMgr) KxwDomPlaceHolderNode(_ptDocument, _ptMemMgr, ptP);
    ptFirst->BasicAppendChild(NewText(_ptDocument, u"1"));
    ptSecond->BasicAppendChild(NewText(_ptDocument, u"2"));
    ptSpan->BasicAppendChild(ptFirst);
    ptDiv->BasicAppendChild(ptSpan);
    ptDiv->BasicAppendChild(ptSecond);
    EXPECT_EQ(u"\r\n12", ptDiv->GetInnerText());
    EXPECT_EQ(u"<SPAN><P>1</SPAN>2</P>", ptDiv->GetInnerOuterHtml(false));
}

TEST_F(KxwDomGenerateMarkupTest, GeneratedTextsAreTheCallersOwn) {
    BuildPage("<div id=a><b>first</b></div><div id=b><i>second</i></div>");
    std::u16string dsA = ById("a")->GetInnerOuterHtml(false);
    std::u16string dsTextA = ById("a")->GetInnerText();
    std::string dsDcsA = ById("a")->GenerateInnerOuterHtml(true);
    std::u16string dsB = ById("b")->GetInnerOuterHtml(true);
    std::u16string dsTextB = ById("b")->GetInnerText();
    EXPECT_EQ(u"<B>first</B>", dsA);
    EXPECT_EQ(u"first", dsTextA);
    EXPECT_EQ("<DIV id=\"a\"><B>first</B></DIV>", dsDcsA);
    EXPECT_EQ(u"<DIV id=\"b\"><I>second</I></DIV>", dsB);
    EXPECT_EQ(u"second", dsTextB);
}

}  // namespace
