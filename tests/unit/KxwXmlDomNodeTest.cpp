// Nodes: one object per node, the members each type has, changes to the tree and what is refused, and nodes that
// outlive their document's last reference.
#include <gtest/gtest.h>

#include "KxwXmlDomTestSupport.h"

using namespace kxw_xml_test;

TEST(KxwXmlDomNodeTest, OneObjectPerNode) {
    KxwAutoRef<KxwAutomation> tDoc = Load("<a><b/><c/></a>");
    KxwAutoRef<KxwAutomation> tRoot = ObjOf(tDoc.Get(), "documentElement");
    KxwAutoRef<KxwAutomation> tB = ObjOf(tRoot.Get(), "firstChild");
    EXPECT_EQ(tB.Get(), ObjOf(ObjOf(tRoot.Get(), "childNodes").Get(), "item", {I(0)}).Get());
    EXPECT_EQ(tB.Get(), ObjOf(tRoot.Get(), "selectSingleNode", {S("b")}).Get());
    EXPECT_EQ(tRoot.Get(), ObjOf(tB.Get(), "parentNode").Get());
    EXPECT_EQ(tDoc.Get(), ObjOf(tRoot.Get(), "parentNode").Get());
    EXPECT_EQ(tDoc.Get(), ObjOf(tB.Get(), "ownerDocument").Get());
    EXPECT_TRUE(Call(tDoc.Get(), "ownerDocument").IsNullOrEmpty());
}

TEST(KxwXmlDomNodeTest, NodesOutliveTheDocumentsLastReference) {
    KxwAutoRef<KxwAutomation> tItem;
    KxwAutoRef<KxwAutomation> tLoose;
    {
        KxwAutoRef<KxwAutomation> tDoc = Load("<list><item n=\"1\">first</item></list>");
        tItem = ObjOf(ObjOf(tDoc.Get(), "documentElement").Get(), "firstChild");
        tLoose = ObjOf(tDoc.Get(), "createElement", {S("loose")});
    }
    EXPECT_EQ("first", TextOf(tItem.Get(), "text"));
    EXPECT_EQ("list", TextOf(ObjOf(tItem.Get(), "parentNode").Get(), "nodeName"));
    KxwAutoRef<KxwAutomation> tDoc = ObjOf(tItem.Get(), "ownerDocument");
    EXPECT_EQ("<list><item n=\"1\">first</item></list>\r\n", TextOf(tDoc.Get(), "xml"));
    Call(tItem.Get(), "appendChild", {O(tLoose.Get())});
    EXPECT_EQ("<item n=\"1\">first<loose/></item>", TextOf(tItem.Get(), "xml"));

    // A new load leaves the old tree to the nodes that hold it.
    Call(tDoc.Get(), "loadXML", {S("<other/>")});
    EXPECT_EQ("<item n=\"1\">first<loose/></item>", TextOf(tItem.Get(), "xml"));
    EXPECT_TRUE(Call(ObjOf(tItem.Get(), "parentNode").Get(), "parentNode").IsNullOrEmpty());
    // A node of the old tree is copied into the new one like a node of another document.
    KxwAutoRef<KxwAutomation> tCopy =
        ObjOf(ObjOf(tDoc.Get(), "documentElement").Get(), "appendChild", {O(tLoose.Get())});
    ASSERT_TRUE(tCopy);
    EXPECT_NE(tCopy.Get(), tLoose.Get());
    EXPECT_EQ("<other><loose/></other>\r\n", TextOf(tDoc.Get(), "xml"));
}

TEST(KxwXmlDomNodeTest, TheTypeDecidesTheMembers) {
    KxwAutoRef<KxwAutomation> tDoc = Load("<a k=\"v\">t<![CDATA[c]]><!--m--><?p d?></a>");
    KxwAutoRef<KxwAutomation> tA = ObjOf(tDoc.Get(), "documentElement");
    KxwAutoRef<KxwAutomation> tList = ObjOf(tA.Get(), "childNodes");
    struct Expect {
        int _iIndex;
        const char* _pszName;
        int _iType;
        const char* _pszTypeString;
        const char* _pszInterface;
    };
    for (const Expect& rt : {Expect{0, "#text", 3, "text", "IXMLDOMText"},
                             Expect{1, "#cdata-section", 4, "cdatasection", "IXMLDOMCDATASection"},
                             Expect{2, "#comment", 8, "comment", "IXMLDOMComment"},
                             Expect{3, "p", 7, "processinginstruction", "IXMLDOMProcessingInstruction"}}) {
        KxwAutoRef<KxwAutomation> tNode = ObjOf(tList.Get(), "item", {I(rt._iIndex)});
        ASSERT_TRUE(tNode) << rt._pszName;
        EXPECT_EQ(rt._pszName, TextOf(tNode.Get(), "nodeName"));
        EXPECT_EQ(rt._iType, IntOf(tNode.Get(), "nodeType"));
        EXPECT_EQ(rt._pszTypeString, TextOf(tNode.Get(), "nodeTypeString"));
        EXPECT_STREQ(rt._pszInterface, tNode->GetInterfaceName());
        EXPECT_FALSE(Has(tNode.Get(), "getAttribute")) << rt._pszName;
        EXPECT_TRUE(Call(tNode.Get(), "attributes").IsNullOrEmpty());
    }
    KxwAutoRef<KxwAutomation> tText = ObjOf(tList.Get(), "item", {I(0)});
    EXPECT_TRUE(Has(tText.Get(), "splitText") && Has(tText.Get(), "LENGTH"));
    EXPECT_FALSE(Has(tA.Get(), "data") || Has(tA.Get(), "value"));
    EXPECT_EQ("d", TextOf(ObjOf(tList.Get(), "item", {I(3)}).Get(), "data"));
    EXPECT_EQ("p", TextOf(ObjOf(tList.Get(), "item", {I(3)}).Get(), "target"));
    KxwAutoRef<KxwAutomation> tAttr = ObjOf(tA.Get(), "getAttributeNode", {S("k")});
    EXPECT_EQ(2, IntOf(tAttr.Get(), "nodeType"));
    EXPECT_EQ("k", TextOf(tAttr.Get(), "name"));
    EXPECT_EQ("v", TextOf(tAttr.Get(), "value"));
    EXPECT_TRUE(Call(tAttr.Get(), "parentNode").IsNullOrEmpty());
    EXPECT_TRUE(Call(tA.Get(), "nodeValue").GetType() == KXW_AUTO_VALUE_NULL);
    EXPECT_EQ(KXW_AUTO_E_FAIL, Put(tA.Get(), "nodeValue", S("x")));
}

TEST(KxwXmlDomNodeTest, ChangesTheTree) {
    KxwAutoRef<KxwAutomation> tDoc = Load("<r><a/><b/><c/></r>");
    KxwAutoRef<KxwAutomation> tR = ObjOf(tDoc.Get(), "documentElement");
    KxwAutoRef<KxwAutomation> tA = ObjOf(tR.Get(), "firstChild");
    KxwAutoRef<KxwAutomation> tC = ObjOf(tR.Get(), "lastChild");
    Call(tR.Get(), "insertBefore", {O(tC.Get()), O(tA.Get())});
    EXPECT_EQ("<r><c/><a/><b/></r>", TextOf(tR.Get(), "xml"));
    KxwAutoRef<KxwAutomation> tNew = ObjOf(tDoc.Get(), "createElement", {S("n")});
    KxwAutoRef<KxwAutomation> tOld = ObjOf(tR.Get(), "replaceChild", {O(tNew.Get()), O(tA.Get())});
    EXPECT_EQ(tA.Get(), tOld.Get());
    EXPECT_EQ("<r><c/><n/><b/></r>", TextOf(tR.Get(), "xml"));
    EXPECT_EQ(tC.Get(), ObjOf(tR.Get(), "removeChild", {O(tC.Get())}).Get());
    EXPECT_EQ("<r><n/><b/></r>", TextOf(tR.Get(), "xml"));
    EXPECT_TRUE(Call(tC.Get(), "parentNode").IsNullOrEmpty());
    // Two texts side by side stay two nodes until normalize().
    Call(tR.Get(), "appendChild", {O(ObjOf(tDoc.Get(), "createTextNode", {S("x")}).Get())});
    KxwAutoRef<KxwAutomation> tY = ObjOf(tDoc.Get(), "createTextNode", {S("y")});
    Call(tR.Get(), "appendChild", {O(tY.Get())});
    EXPECT_EQ(4, IntOf(ObjOf(tR.Get(), "childNodes").Get(), "length"));
    EXPECT_EQ("y", TextOf(tY.Get(), "data"));
    Call(tR.Get(), "normalize");
    EXPECT_EQ(3, IntOf(ObjOf(tR.Get(), "childNodes").Get(), "length"));
    EXPECT_EQ("xy", TextOf(ObjOf(tR.Get(), "lastChild").Get(), "data"));
    EXPECT_EQ("y", TextOf(tY.Get(), "data"));  // the object of a merged text still works

    // A fragment's children move in; the fragment is left empty.
    KxwAutoRef<KxwAutomation> tFragment = ObjOf(tDoc.Get(), "createDocumentFragment");
    Call(tFragment.Get(), "appendChild", {O(ObjOf(tDoc.Get(), "createElement", {S("f1")}).Get())});
    Call(tFragment.Get(), "appendChild", {O(ObjOf(tDoc.Get(), "createElement", {S("f2")}).Get())});
    Call(tR.Get(), "insertBefore", {O(tFragment.Get()), O(ObjOf(tR.Get(), "firstChild").Get())});
    EXPECT_EQ("<r><f1/><f2/><n/><b/>xy</r>", TextOf(tR.Get(), "xml"));
    EXPECT_FALSE(Call(tFragment.Get(), "hasChildNodes").GetBool());

    // Deep and shallow copies.
    KxwAutoRef<KxwAutomation> tDeep = ObjOf(tR.Get(), "cloneNode", {B(true)});
    KxwAutoRef<KxwAutomation> tShallow = ObjOf(tR.Get(), "cloneNode", {B(false)});
    EXPECT_EQ("<r><f1/><f2/><n/><b/>xy</r>", TextOf(tDeep.Get(), "xml"));
    EXPECT_EQ("<r/>", TextOf(tShallow.Get(), "xml"));
    Call(tR.Get(), "cloneNode");
    EXPECT_EQ(KXW_AUTO_E_INVALIDARG, Last()._lResult);
}

TEST(KxwXmlDomNodeTest, RefusesWhatCannotBe) {
    KxwAutoRef<KxwAutomation> tDoc = Load("<r><a><b/></a>t</r>");
    KxwAutoRef<KxwAutomation> tR = ObjOf(tDoc.Get(), "documentElement");
    KxwAutoRef<KxwAutomation> tA = ObjOf(tR.Get(), "firstChild");
    KxwAutoRef<KxwAutomation> tB = ObjOf(tA.Get(), "firstChild");
    KxwAutoRef<KxwAutomation> tText = ObjOf(tR.Get(), "lastChild");
    Call(tB.Get(), "appendChild", {O(tA.Get())});
    EXPECT_EQ(KXW_AUTO_E_FAIL, Last()._lResult);
    EXPECT_NE(std::string::npos, Last()._dsError.find("itself or its descendants"));
    Call(tA.Get(), "appendChild", {O(tA.Get())});
    EXPECT_EQ(KXW_AUTO_E_FAIL, Last()._lResult);
    Call(tText.Get(), "appendChild", {O(tB.Get())});
    EXPECT_EQ(KXW_AUTO_E_FAIL, Last()._lResult);
    Call(tR.Get(), "removeChild", {O(tB.Get())});
    EXPECT_EQ(KXW_AUTO_E_INVALIDARG, Last()._lResult);
    Call(tR.Get(), "insertBefore", {O(tText.Get()), O(tB.Get())});
    EXPECT_EQ(KXW_AUTO_E_INVALIDARG, Last()._lResult);
    Call(tR.Get(), "appendChild", {O(tDoc.Get())});
    EXPECT_EQ(KXW_AUTO_E_FAIL, Last()._lResult);
    Call(tR.Get(), "appendChild", {O(ObjOf(tR.Get(), "getAttributeNode", {S("x")}).Get())});
    EXPECT_EQ(KXW_AUTO_E_INVALIDARG, Last()._lResult);
    Call(tR.Get(), "appendChild");
    EXPECT_EQ(KXW_AUTO_E_INVALIDARG, Last()._lResult);
    EXPECT_NE(std::string::npos, Last()._dsError.find("newChild"));
    Call(tR.Get(), "appendChild", {S("<x/>")});
    EXPECT_EQ(KXW_AUTO_E_TYPEMISMATCH, Last()._lResult);
    Call(tR.Get(), "appendChild", {KxwAutoValue::Foreign()});
    EXPECT_EQ(KXW_AUTO_E_TYPEMISMATCH, Last()._lResult);
    EXPECT_EQ("<r><a><b/></a>t</r>", TextOf(tR.Get(), "xml"));
}

TEST(KxwXmlDomNodeTest, ImportsNodesOfAnotherDocumentByCopy) {
    KxwAutoRef<KxwAutomation> tFrom = Load("<x:list xmlns:x=\"urn:x\"><x:item k=\"1\">one</x:item></x:list>");
    KxwAutoRef<KxwAutomation> tTo = Load("<target/>");
    KxwAutoRef<KxwAutomation> tItem = ObjOf(ObjOf(tFrom.Get(), "documentElement").Get(), "firstChild");
    KxwAutoRef<KxwAutomation> tTarget = ObjOf(tTo.Get(), "documentElement");
    KxwAutoRef<KxwAutomation> tCopy = ObjOf(tTarget.Get(), "appendChild", {O(tItem.Get())});
    ASSERT_TRUE(tCopy);
    EXPECT_NE(tItem.Get(), tCopy.Get());
    EXPECT_EQ(tTo.Get(), ObjOf(tCopy.Get(), "ownerDocument").Get());
    EXPECT_EQ("urn:x", TextOf(tCopy.Get(), "namespaceURI"));
    EXPECT_EQ("<target><x:item xmlns:x=\"urn:x\" k=\"1\">one</x:item></target>\r\n", TextOf(tTo.Get(), "xml"));
    // The original stays where it was.
    EXPECT_EQ("x:list", TextOf(ObjOf(tItem.Get(), "parentNode").Get(), "nodeName"));
}

TEST(KxwXmlDomNodeTest, AttributesAndText) {
    KxwAutoRef<KxwAutomation> tDoc = Load("<r xmlns:p=\"urn:p\" a=\"1\"><s>old <i>inner</i></s></r>");
    KxwAutoRef<KxwAutomation> tR = ObjOf(tDoc.Get(), "documentElement");
    EXPECT_EQ("1", TextOf(tR.Get(), "getAttribute", {S("a")}));
    EXPECT_EQ("urn:p", TextOf(tR.Get(), "getAttribute", {S("xmlns:p")}));
    EXPECT_EQ(KXW_AUTO_VALUE_NULL, Call(tR.Get(), "getAttribute", {S("none")}).GetType());
    KxwAutoRef<KxwAutomation> tA = ObjOf(tR.Get(), "getAttributeNode", {S("a")});
    Call(tR.Get(), "setAttribute", {S("a"), I(2)});
    EXPECT_EQ("2", TextOf(tA.Get(), "value"));  // the same attribute changed
    Call(tR.Get(), "setAttribute", {S("p:q"), S("<&\"")});
    EXPECT_EQ("urn:p", TextOf(ObjOf(tR.Get(), "getAttributeNode", {S("p:q")}).Get(), "namespaceURI"));
    Call(tR.Get(), "setAttribute", {S("bad name"), S("x")});
    EXPECT_EQ(KXW_AUTO_E_INVALIDARG, Last()._lResult);
    Call(tR.Get(), "setAttribute", {S("z")});
    EXPECT_EQ(KXW_AUTO_E_INVALIDARG, Last()._lResult);
    Call(tR.Get(), "removeAttribute", {S("a")});
    EXPECT_EQ("2", TextOf(tA.Get(), "value"));
    EXPECT_EQ(KXW_AUTO_VALUE_NULL, Call(tR.Get(), "getAttribute", {S("a")}).GetType());
    EXPECT_EQ("<r xmlns:p=\"urn:p\" p:q=\"&lt;&amp;&quot;\"><s>old <i>inner</i></s></r>", TextOf(tR.Get(), "xml"));
    // An attribute of another element must be removed first.
    KxwAutoRef<KxwAutomation> tS = ObjOf(tR.Get(), "firstChild");
    Call(tS.Get(), "setAttributeNode", {O(ObjOf(tR.Get(), "getAttributeNode", {S("p:q")}).Get())});
    EXPECT_EQ(KXW_AUTO_E_FAIL, Last()._lResult);
    Call(tS.Get(), "setAttributeNode", {O(tA.Get())});
    EXPECT_EQ(KXW_AUTO_S_OK, Last()._lResult);
    EXPECT_EQ("2", TextOf(tS.Get(), "getAttribute", {S("a")}));

    KxwAutoRef<KxwAutomation> tI = ObjOf(tS.Get(), "lastChild");
    EXPECT_EQ("old inner", TextOf(tS.Get(), "text"));
    EXPECT_EQ(KXW_AUTO_S_OK, Put(tS.Get(), "text", S("new <text>")));
    EXPECT_EQ("<s a=\"2\">new &lt;text&gt;</s>", TextOf(tS.Get(), "xml"));
    EXPECT_EQ("inner", TextOf(tI.Get(), "text"));  // a replaced child a script holds still works
    EXPECT_EQ(KXW_AUTO_E_TYPEMISMATCH, Put(tS.Get(), "text", O(tI.Get())));
}

TEST(KxwXmlDomNodeTest, EditsCharacterData) {
    KxwAutoRef<KxwAutomation> tDoc = Load("<r>h\xC3\xA9llo</r>");
    KxwAutoRef<KxwAutomation> tText = ObjOf(ObjOf(tDoc.Get(), "documentElement").Get(), "firstChild");
    EXPECT_EQ(5, IntOf(tText.Get(), "length"));
    EXPECT_EQ("\xC3\xA9l", TextOf(tText.Get(), "substringData", {I(1), I(2)}));
    Call(tText.Get(), "appendData", {S("!")});
    Call(tText.Get(), "insertData", {I(0), S(">")});
    Call(tText.Get(), "replaceData", {I(1), I(1), S("H")});
    Call(tText.Get(), "deleteData", {I(6), I(100)});
    EXPECT_EQ(">H\xC3\xA9llo", TextOf(tText.Get(), "data"));
    Call(tText.Get(), "substringData", {I(-1), I(1)});
    EXPECT_EQ(KXW_AUTO_E_INVALIDARG, Last()._lResult);
    Call(tText.Get(), "insertData", {I(99), S("x")});
    EXPECT_EQ(KXW_AUTO_E_INVALIDARG, Last()._lResult);
    KxwAutoRef<KxwAutomation> tTail = ObjOf(tText.Get(), "splitText", {I(2)});
    EXPECT_EQ(">H", TextOf(tText.Get(), "data"));
    EXPECT_EQ("\xC3\xA9llo", TextOf(tTail.Get(), "data"));
    EXPECT_EQ(tTail.Get(), ObjOf(tText.Get(), "nextSibling").Get());
}
