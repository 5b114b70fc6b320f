// The XML document: loading text and URLs, its markup, the nodes it makes, its settings, and the classes a page
// creates it by.
#include <gtest/gtest.h>

#include <cstring>

#include "KxwAutomationRegistry.h"
#include "KxwXmlDomTestSupport.h"

using namespace kxw_xml_test;

namespace {

class CountingCallable : public KxwAutoCallable {
public:
    explicit CountingCallable(KxwAutomation* mptDocument, std::vector<int32_t>* mptStates)
        : _ptDocument(mptDocument), _ptStates(mptStates) {}
    bool Invoke() override {
        _ptStates->push_back(IntOf(_ptDocument, "readyState"));
        return true;
    }

private:
    KxwAutomation* _ptDocument;
    std::vector<int32_t>* _ptStates;
};

struct FakeServer {
    std::string _dsUrlSeen;
    std::string _dsBody;
    bool _bAnswer = true;
    static bool Fetch(void* mpvContext, const std::string& mrdsUrl, std::string& mrdsBody, std::string& mrdsFailure) {
        auto* ptServer = static_cast<FakeServer*>(mpvContext);
        ptServer->_dsUrlSeen = mrdsUrl;
        if (!ptServer->_bAnswer) {
            mrdsFailure = "The server answered 404";
            return false;
        }
        mrdsBody = ptServer->_dsBody;
        return true;
    }
};

}  // namespace

TEST(KxwXmlDomDocumentTest, LoadsTextAndWritesItBack) {
    KxwAutoRef<KxwAutomation> tDoc = NewDocument();
    EXPECT_STREQ("IXMLDOMDocument", tDoc->GetInterfaceName());
    EXPECT_EQ(0, IntOf(tDoc.Get(), "readyState"));
    EXPECT_TRUE(Call(tDoc.Get(), "documentElement").IsNullOrEmpty());
    KxwAutoValue tLoaded = Call(tDoc.Get(), "loadXML",
                                {S("<?xml version=\"1.0\"?>\n<!-- c --><order id=\"7\"><item>caf\xC3\xA9 &amp; "
                                   "tea</item><empty/></order>")});
    EXPECT_TRUE(tLoaded.GetBool());
    EXPECT_EQ(4, IntOf(tDoc.Get(), "readyState"));
    EXPECT_EQ(
        "<?xml version=\"1.0\"?>\r\n<!-- c -->\r\n<order id=\"7\"><item>caf\xC3\xA9 &amp; tea</item><empty/>"
        "</order>\r\n",
        TextOf(tDoc.Get(), "xml"));
    // The declaration is the document's first node, as pages of the time saw it.
    KxwAutoRef<KxwAutomation> tFirst = ObjOf(tDoc.Get(), "firstChild");
    EXPECT_EQ("xml", TextOf(tFirst.Get(), "nodeName"));
    EXPECT_EQ(7, IntOf(tFirst.Get(), "nodeType"));
    KxwAutoRef<KxwAutomation> tRoot = ObjOf(tDoc.Get(), "documentElement");
    EXPECT_EQ("order", TextOf(tRoot.Get(), "tagName"));
    EXPECT_EQ("caf\xC3\xA9 & tea", TextOf(tDoc.Get(), "text"));
    EXPECT_EQ("#document", TextOf(tDoc.Get(), "nodeName"));
    EXPECT_EQ(9, IntOf(tDoc.Get(), "nodeType"));
    EXPECT_EQ(0, IntOf(ObjOf(tDoc.Get(), "parseError").Get(), "errorCode"));

    auto tInstructions = xftKxwXmlDomTopLevelInstructions(tDoc.Get());
    ASSERT_EQ(1u, tInstructions.size());
    EXPECT_EQ(u"xml", tInstructions[0].first);
    EXPECT_EQ(u"version=\"1.0\"", tInstructions[0].second);
}

TEST(KxwXmlDomDocumentTest, DropsBlankTextsUnlessPreserved) {
    const char* pszXml = "<a>\n  <b> x </b>\n  <c xml:space=\"preserve\">  <d/> </c>\n</a>";
    KxwAutoRef<KxwAutomation> tDoc = Load(pszXml);
    KxwAutoRef<KxwAutomation> tRoot = ObjOf(tDoc.Get(), "documentElement");
    EXPECT_EQ(2, IntOf(ObjOf(tRoot.Get(), "childNodes").Get(), "length"));
    // Inside xml:space="preserve" the blanks stay; text of a non-blank node is kept whole.
    KxwAutoRef<KxwAutomation> tC = ObjOf(tRoot.Get(), "lastChild");
    EXPECT_EQ(3, IntOf(ObjOf(tC.Get(), "childNodes").Get(), "length"));
    EXPECT_EQ(" x ", TextOf(ObjOf(ObjOf(tRoot.Get(), "firstChild").Get(), "firstChild").Get(), "nodeValue"));
    EXPECT_EQ("x", TextOf(ObjOf(tRoot.Get(), "firstChild").Get(), "text"));

    KxwAutoRef<KxwAutomation> tKept = Load(pszXml, true);
    EXPECT_EQ(5, IntOf(ObjOf(ObjOf(tKept.Get(), "documentElement").Get(), "childNodes").Get(), "length"));
    KxwAutoRef<KxwAutomation> tKeptB =
        ObjOf(ObjOf(ObjOf(tKept.Get(), "documentElement").Get(), "childNodes").Get(), "item", {I(1)});
    EXPECT_EQ(" x ", TextOf(tKeptB.Get(), "text"));
}

TEST(KxwXmlDomDocumentTest, ReadyStateChangesCallTheHandler) {
    KxwAutoRef<KxwAutomation> tDoc = NewDocument();
    std::vector<int32_t> tStates;
    KxwAutoRef<KxwAutoCallable> tHandler =
        KxwAutoRef<KxwAutoCallable>::Adopt(new CountingCallable(tDoc.Get(), &tStates));
    EXPECT_EQ(KXW_AUTO_S_OK, Put(tDoc.Get(), "onreadystatechange", KxwAutoValue::Callable(tHandler)));
    EXPECT_EQ(KXW_AUTO_E_TYPEMISMATCH, Put(tDoc.Get(), "onreadystatechange", S("alert(1)")));
    Put(tDoc.Get(), "async", B(true));
    EXPECT_TRUE(Call(tDoc.Get(), "loadXML", {S("<a/>")}).GetBool());
    EXPECT_EQ((std::vector<int32_t>{1, 4}), tStates);
    Put(tDoc.Get(), "onreadystatechange", KxwAutoValue::Null());
    Call(tDoc.Get(), "loadXML", {S("<b/>")});
    EXPECT_EQ(2u, tStates.size());
}

TEST(KxwXmlDomDocumentTest, LoadGoesThroughTheHookOrFailsAtOnce) {
    KxwAutoRef<KxwAutomation> tDoc = NewDocument();
    xfvKxwXmlDomSetUrlLoader(nullptr, nullptr);
    EXPECT_FALSE(Call(tDoc.Get(), "load", {S("data.xml")}).GetBool());
    EXPECT_EQ(4, IntOf(tDoc.Get(), "readyState"));
    KxwAutoRef<KxwAutomation> tError = ObjOf(tDoc.Get(), "parseError");
    EXPECT_LT(IntOf(tError.Get(), "errorCode"), 0);
    EXPECT_NE(std::string::npos, TextOf(tError.Get(), "reason").find("from a URL is not available"));
    EXPECT_EQ("data.xml", TextOf(tError.Get(), "url"));

    FakeServer tServer;
    // Bytes as the server sent them: the declared encoding is honoured.
    tServer._dsBody = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>caf\xE9</a>";
    xfvKxwXmlDomSetUrlLoader(&FakeServer::Fetch, &tServer);
    EXPECT_TRUE(Call(tDoc.Get(), "load", {S("data.xml")}).GetBool());
    EXPECT_EQ("data.xml", tServer._dsUrlSeen);
    EXPECT_EQ("caf\xC3\xA9", TextOf(tDoc.Get(), "text"));
    EXPECT_EQ("data.xml", TextOf(tDoc.Get(), "url"));
    tServer._bAnswer = false;
    EXPECT_FALSE(Call(tDoc.Get(), "load", {S("gone.xml")}).GetBool());
    EXPECT_EQ("The server answered 404", TextOf(ObjOf(tDoc.Get(), "parseError").Get(), "reason"));
    EXPECT_TRUE(Call(tDoc.Get(), "documentElement").IsNullOrEmpty());

    // Against the page's address; the machine's own files and other schemes are refused before the hook is asked.
    tServer._bAnswer = true;
    ASSERT_TRUE(xfbKxwXmlDomSetBaseUrl(tDoc.Get(), "http://site.test/app/page.html"));
    EXPECT_TRUE(Call(tDoc.Get(), "load", {S("../data/d.xml")}).GetBool());
    EXPECT_EQ("http://site.test/data/d.xml", tServer._dsUrlSeen);
    for (const char* pszRefused : {"file:///etc/passwd", "ftp://site.test/d.xml", "C:\\boot.ini"}) {
        tServer._dsUrlSeen.clear();
        EXPECT_FALSE(Call(tDoc.Get(), "load", {S(pszRefused)}).GetBool()) << pszRefused;
        EXPECT_EQ("", tServer._dsUrlSeen) << pszRefused;
        EXPECT_NE(std::string::npos, TextOf(ObjOf(tDoc.Get(), "parseError").Get(), "reason").find("is refused"));
    }
    ASSERT_TRUE(xfbKxwXmlDomSetBaseUrl(tDoc.Get(), "file:///site/page.html"));
    EXPECT_TRUE(Call(tDoc.Get(), "load", {S("d.xml")}).GetBool());
    EXPECT_EQ("file:///site/d.xml", tServer._dsUrlSeen);
    EXPECT_FALSE(xfbKxwXmlDomSetBaseUrl(nullptr, "http://site.test/"));
    xfvKxwXmlDomSetUrlLoader(nullptr, nullptr);
}

TEST(KxwXmlDomDocumentTest, MakesNodesOfEveryKind) {
    KxwAutoRef<KxwAutomation> tDoc = NewDocument();
    KxwAutoRef<KxwAutomation> tRoot = ObjOf(tDoc.Get(), "createElement", {S("root")});
    ASSERT_TRUE(tRoot);
    Put(tDoc.Get(), "documentElement", O(tRoot.Get()));
    Call(tRoot.Get(), "appendChild", {O(ObjOf(tDoc.Get(), "createTextNode", {S("a<b")}).Get())});
    Call(tRoot.Get(), "appendChild", {O(ObjOf(tDoc.Get(), "createCDATASection", {S("x]y")}).Get())});
    Call(tRoot.Get(), "appendChild", {O(ObjOf(tDoc.Get(), "createComment", {S("note")}).Get())});
    KxwAutoRef<KxwAutomation> tPi = ObjOf(tDoc.Get(), "createProcessingInstruction", {S("app"), S("go")});
    Call(tRoot.Get(), "appendChild", {O(tPi.Get())});
    KxwAutoRef<KxwAutomation> tAttr = ObjOf(tDoc.Get(), "createAttribute", {S("k")});
    Put(tAttr.Get(), "value", S("v\""));
    Call(tRoot.Get(), "setAttributeNode", {O(tAttr.Get())});
    KxwAutoRef<KxwAutomation> tNs = ObjOf(tDoc.Get(), "createNode", {I(1), S("p:item"), S("urn:p")});
    Call(tRoot.Get(), "appendChild", {O(tNs.Get())});
    EXPECT_EQ("urn:p", TextOf(tNs.Get(), "namespaceURI"));
    EXPECT_EQ("p", TextOf(tNs.Get(), "prefix"));
    EXPECT_EQ("item", TextOf(tNs.Get(), "baseName"));
    KxwAutoRef<KxwAutomation> tByName = ObjOf(tDoc.Get(), "createNode", {S("comment"), S(""), S("")});
    EXPECT_EQ(8, IntOf(tByName.Get(), "nodeType"));
    EXPECT_EQ("<root k=\"v&quot;\">a&lt;b<![CDATA[x]y]]><!--note--><?app go?><p:item xmlns:p=\"urn:p\"/></root>\r\n",
              TextOf(tDoc.Get(), "xml"));

    // A second top-level element and text at the top are refused, as are bad names.
    KxwAutoRef<KxwAutomation> tOther = ObjOf(tDoc.Get(), "createElement", {S("other")});
    Call(tDoc.Get(), "appendChild", {O(tOther.Get())});
    EXPECT_EQ(KXW_AUTO_E_FAIL, Last()._lResult);
    EXPECT_NE(std::string::npos, Last()._dsError.find("one top level element"));
    Call(tDoc.Get(), "createElement", {S("1bad")});
    EXPECT_EQ(KXW_AUTO_E_INVALIDARG, Last()._lResult);
    Call(tDoc.Get(), "createElement");
    EXPECT_EQ(KXW_AUTO_E_INVALIDARG, Last()._lResult);
    EXPECT_NE(std::string::npos, Last()._dsError.find("tagName"));
    Call(tDoc.Get(), "createElement", {O(tRoot.Get())});
    EXPECT_EQ(KXW_AUTO_E_TYPEMISMATCH, Last()._lResult);
    Call(tDoc.Get(), "createNode", {S("bogus"), S("x"), S("")});
    EXPECT_EQ(KXW_AUTO_E_INVALIDARG, Last()._lResult);
    // documentElement replaced.
    Put(tDoc.Get(), "documentElement", O(tOther.Get()));
    EXPECT_EQ("<other/>\r\n", TextOf(tDoc.Get(), "xml"));
    EXPECT_TRUE(Call(tRoot.Get(), "parentNode").IsNullOrEmpty());
}

TEST(KxwXmlDomDocumentTest, PropertiesByNameAndRefusals) {
    KxwAutoRef<KxwAutomation> tDoc = Load("<a/>");
    EXPECT_EQ(KXW_AUTO_S_OK, Last()._lResult);
    Call(tDoc.Get(), "setProperty", {S("SelectionLanguage"), S("XPath")});
    EXPECT_EQ(KXW_AUTO_S_OK, Last()._lResult);
    EXPECT_EQ("XPath", TextOf(tDoc.Get(), "getProperty", {S("SelectionLanguage")}));
    Call(tDoc.Get(), "setProperty", {S("SelectionLanguage"), S("SQL")});
    EXPECT_EQ(KXW_AUTO_E_INVALIDARG, Last()._lResult);
    Call(tDoc.Get(), "setProperty", {S("SelectionNamespaces"), S("xmlns:a='urn:a' xmlns:b=\"urn:b\"")});
    EXPECT_EQ(KXW_AUTO_S_OK, Last()._lResult);
    Call(tDoc.Get(), "setProperty", {S("SelectionNamespaces"), S("xmlns:a='urn:a")});
    EXPECT_EQ(KXW_AUTO_E_INVALIDARG, Last()._lResult);
    Call(tDoc.Get(), "setProperty", {S("NoSuchProperty"), B(true)});
    EXPECT_EQ(KXW_AUTO_E_INVALIDARG, Last()._lResult);
    Call(tDoc.Get(), "save", {S("C:\\out.xml")});
    EXPECT_EQ(KXW_AUTO_E_ACCESSDENIED, Last()._lResult);
    EXPECT_NE(std::string::npos, Last()._dsError.find("not written to files"));
    Call(tDoc.Get(), "createEntityReference", {S("e")});
    EXPECT_EQ(KXW_AUTO_E_NOTIMPL, Last()._lResult);
    Put(tDoc.Get(), "resolveExternals", B(true));
    EXPECT_TRUE(Call(tDoc.Get(), "resolveExternals").GetBool());
}

TEST(KxwXmlDomDocumentTest, FindsElementsByIdAndClones) {
    KxwAutoRef<KxwAutomation> tDoc =
        Load("<!DOCTYPE r [<!ATTLIST e key ID #IMPLIED>]><r><e key=\"k1\">one</e><e key=\"k2\">two</e></r>");
    EXPECT_EQ("two", TextOf(ObjOf(tDoc.Get(), "nodeFromID", {S("k2")}).Get(), "text"));
    EXPECT_TRUE(Call(tDoc.Get(), "nodeFromID", {S("k3")}).IsNullOrEmpty());
    EXPECT_EQ(10, IntOf(ObjOf(tDoc.Get(), "doctype").Get(), "nodeType"));
    KxwAutoRef<KxwAutomation> tClone = ObjOf(tDoc.Get(), "cloneNode", {B(true)});
    ASSERT_TRUE(tClone && tClone.Get() != tDoc.Get());
    EXPECT_EQ("onetwo", TextOf(tClone.Get(), "text"));
    Call(ObjOf(tClone.Get(), "documentElement").Get(), "removeChild",
         {O(ObjOf(ObjOf(tClone.Get(), "documentElement").Get(), "firstChild").Get())});
    EXPECT_EQ("onetwo", TextOf(tDoc.Get(), "text"));
    EXPECT_EQ("two", TextOf(tClone.Get(), "text"));
}

TEST(KxwXmlDomDocumentTest, RegisteredUnderItsNamesAndClassIds) {
    xfvKxwXmlDomRegisterClasses();
    xfvKxwXmlDomRegisterClasses();  // a second call changes nothing
    for (const char* pszName : {"Microsoft.XMLDOM", "MSXML.DOMDocument", "Msxml2.DOMDocument", "Msxml2.DOMDocument.3.0",
                                "Msxml2.DOMDocument.4.0", "Msxml2.DOMDocument.5.0", "Msxml2.DOMDocument.6.0",
                                "Microsoft.FreeThreadedXMLDOM", "Msxml2.FreeThreadedDOMDocument.6.0"}) {
        KxwAutoRef<KxwAutomation> tDoc;
        EXPECT_EQ(KXW_AUTO_S_OK, KxwAutomationRegistry::CreateByProgId(pszName, std::strlen(pszName), tDoc)) << pszName;
        ASSERT_TRUE(tDoc) << pszName;
        EXPECT_TRUE(Call(tDoc.Get(), "loadXML", {S("<a/>")}).GetBool());
    }
    for (const char* pszId : {"clsid:2933BF90-7B36-11D2-B20E-00C04F983E60", "{F6D90F11-9C73-11D3-B32E-00C04F990BB4}",
                              "f5078f32-c551-11d3-89b9-0000f81fe221", "{88D96A05-F192-11D4-A65F-0040963251E5}"}) {
        KxwAutoRef<KxwAutomation> tDoc;
        EXPECT_EQ(KXW_AUTO_S_OK, KxwAutomationRegistry::CreateByClassId(pszId, std::strlen(pszId), tDoc)) << pszId;
    }
    KxwAutoRef<KxwAutomation> tNone;
    EXPECT_EQ(KXW_AUTO_E_CLASSNOTREG, KxwAutomationRegistry::CreateByProgId("Msxml2.DOMDocument.7.0", 22, tNone));
}

TEST(KxwXmlDomDocumentTest, DecodesBytesByMarkOrDeclaration) {
    EXPECT_EQ(u"<a>\u00e9</a>", xfdsKxwXmlDomDecodeBytes("\xEF\xBB\xBF<a>\xC3\xA9</a>", 12));
    EXPECT_EQ(u"<a/>", xfdsKxwXmlDomDecodeBytes("\xFF\xFE<\0a\0/\0>\0", 10));
    const char kszLatin[] = "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?><a>\xE9</a>";
    EXPECT_EQ(u"<?xml version=\"1.0\" encoding=\"iso-8859-1\"?><a>\u00e9</a>",
              xfdsKxwXmlDomDecodeBytes(kszLatin, sizeof kszLatin - 1));
}
