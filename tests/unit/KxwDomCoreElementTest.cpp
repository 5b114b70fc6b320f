// Elements and their attributes as scripts see them: parsed attributes dumped into the element, getAttribute,
// setAttribute and removeAttribute against declared properties and expandos, and uniqueID.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "KxwDomCoreAttribute.h"
#include "KxwDomNodeTestClasses.h"

namespace {

class KxwDomCoreElementTest : public KxwDomNodeTest {
protected:
    KxwTestAttrElement* NewAttrElement(KxwDomCoreDocument* mptDocument = nullptr) {
        KxwDomCoreDocument* ptDocument = mptDocument ? mptDocument : _ptDocument;
        auto* ptElement = new (_ptMemMgr) KxwTestAttrElement(ptDocument, _ptMemMgr);
        ptDocument->AppendChild(ptElement);
        return ptElement;
    }
    static std::string Text(const KxwDomHtmlPropertyStr& mrtProperty) {
        const char* psfDcs = mrtProperty.GetDcsStr();
        return psfDcs ? std::string(psfDcs, mrtProperty.GetDcsLenInBytes()) : std::string();
    }
};

TEST_F(KxwDomCoreElementTest, ParsedAttributesReachTheDomOrBecomeScriptProperties) {
    KxwTestAttrElement* ptElement = NewAttrElement();
    EXPECT_TRUE(ptElement->AddParsedAttr("id", "p1"));
    EXPECT_TRUE(ptElement->AddParsedAttr("HREF", "page.html"));
    EXPECT_TRUE(ptElement->AddParsedAttr("style", "color:red"));
    EXPECT_TRUE(ptElement->AddParsedAttr("data-x", "bar"));
    EXPECT_FALSE(ptElement->AddParsedAttr("data-x", "second"));
    const char* psfValue = nullptr;
    unsigned uLen = 0;
    EXPECT_TRUE(ptElement->GetPropertyByNameDcs("data-x", 6, &psfValue, &uLen));
    EXPECT_EQ("bar", std::string(psfValue, uLen));
    EXPECT_FALSE(ptElement->GetPropertyByNameDcs("DATA-X", 6, &psfValue, &uLen));
    SetGlobal("el", ptElement);

    EXPECT_EQ("bar", Eval("el.getAttribute('data-x')"));
    EXPECT_TRUE(ptElement->GetAdditionalAttrs().IsEmpty());
    // Declared properties went through the DOM and are not shadowed by own properties.
    EXPECT_EQ("p1", Text(ptElement->_tId));
    EXPECT_EQ("page.html", Eval("el.href"));
    EXPECT_EQ("color:red", Text(ptElement->_tStyle));
    EXPECT_EQ("false,false,true", Eval("[el.hasOwnProperty('id'), el.hasOwnProperty('href'), "
                                       "el.hasOwnProperty('data-x')].join()"));
    EXPECT_EQ("p1", Eval("el.getAttribute('ID')"));
    EXPECT_EQ("null", Eval("String(el.getAttribute('ID', 1))"));
    EXPECT_EQ("null", Eval("String(el.getAttribute('nothing'))"));
    EXPECT_EQ("A", Eval("el.getAttribute('tagname')"));
}

TEST_F(KxwDomCoreElementTest, SetAttributeWritesDeclaredPropertiesThroughTheDom) {
    KxwTestAttrElement* ptElement = NewAttrElement();
    ptElement->AddParsedAttr("id", "p1");
    SetGlobal("el", ptElement);
    EXPECT_EQ("x", Eval("el.setAttribute('ID', 'x'); el.id"));
    EXPECT_EQ("x", Text(ptElement->_tId));
    EXPECT_EQ("y", Eval("el.id = 'y'; el.getAttribute('id')"));
    EXPECT_EQ("z|z", Eval("el.setAttribute('id', 'z'); el.id + '|' + el.getAttribute('id')"));
    EXPECT_EQ("false", Eval("el.hasOwnProperty('id') || el.hasOwnProperty('ID')"));
    // A number given to a text property arrives as its text.
    EXPECT_EQ("string 7", Eval("el.setAttribute('name', 7); typeof el.name + ' ' + el.name"));
    // Removing a declared attribute resets the property.
    EXPECT_EQ("true||", Eval("el.removeAttribute('ID') + '|' + el.id + '|' + el.getAttribute('id')"));
}

TEST_F(KxwDomCoreElementTest, ExpandosAreAttributesAndKeepTheirType) {
    KxwTestAttrElement* ptElement = NewAttrElement();
    SetGlobal("el", ptElement);
    EXPECT_EQ("true number", Eval("el.foo = 1; (el.getAttribute('foo') === 1) + ' ' + typeof el.getAttribute('foo')"));
    EXPECT_EQ("true", Eval("el.setAttribute('n', 5); el.getAttribute('n') === 5 && el.n === 5"));
    EXPECT_EQ("5", Eval("el.getAttribute('N')"));
    EXPECT_EQ("null", Eval("String(el.getAttribute('N', 1))"));
    // Case counts for expandos by default: a second spelling is a second attribute.
    EXPECT_EQ("5|6", Eval("el.setAttribute('N', 6); el.n + '|' + el.N"));
    EXPECT_EQ("7", Eval("el.setAttribute('N', 7, 0); el.n"));
    EXPECT_EQ("true|false|false", Eval("el.removeAttribute('n') + '|' + el.hasOwnProperty('n') + '|' + "
                                       "el.removeAttribute('missing')"));
    EXPECT_EQ("false", Eval("el.removeAttribute('FOO')"));
    EXPECT_EQ("true|null", Eval("el.removeAttribute('FOO', 0) + '|' + el.getAttribute('foo')"));
    EXPECT_EQ("null", Eval("String(el.getAttribute())"));
}

TEST_F(KxwDomCoreElementTest, ReadOnlyPropertiesRefuseExceptStyle) {
    KxwTestAttrElement* ptElement = NewAttrElement();
    ptElement->AddParsedAttr("style", "a:b");
    SetGlobal("el", ptElement);
    EXPECT_EQ("done", Eval("el.setAttribute('style', 'x:y'); el.setAttribute('STYLE', 42); 'done'"));
    EXPECT_EQ("a:b", Text(ptElement->_tStyle));
    static std::vector<std::string> tMessages;
    tMessages.clear();
    KxwWtlMessageSinkFunc pfPrevSink = xfpfKxwUtilGetMessageSink();
    KxwWtlSevFilterFunc pfPrevFilter = xfpfKxwUtilGetSevFilter();
    xfvKxwUtilSetWtlFuncs(pfPrevFilter, [](KXW_WTL_SEV_LVL_ENUM, int miMsgId, const char* mpszText, const char*, int) {
        tMessages.push_back(std::to_string(miMsgId) + " " + (mpszText ? mpszText : ""));
    });
    std::string dsResult = Eval("el.setAttribute('tagName', 'B')");
    xfvKxwUtilSetWtlFuncs(pfPrevFilter, pfPrevSink);
    EXPECT_EQ("ERROR", dsResult.substr(0, 5));
    ASSERT_FALSE(tMessages.empty());
    EXPECT_NE(std::string::npos, tMessages[0].find("-35942")) << tMessages[0];
    EXPECT_NE(std::string::npos, tMessages[0].find("\"tagName\" is read-only")) << tMessages[0];
    EXPECT_EQ("A|false", Eval("el.tagName + '|' + el.hasOwnProperty('tagName')"));
    EXPECT_EQ("false", Eval("el.removeAttribute('tagName')"));
}

TEST_F(KxwDomCoreElementTest, UniqueIdsAreNumberedPerDocumentInTheOrderOfFirstReading) {
    KxwTestAttrElement* ptFirst = NewAttrElement();
    KxwTestAttrElement* ptSecond = NewAttrElement();
    SetGlobal("a", ptFirst);
    SetGlobal("b", ptSecond);
    EXPECT_EQ("ms__id1|ms__id2|ms__id1", Eval("[b.uniqueID, a.uniqueID, b.uniqueID].join('|')"));
    EXPECT_EQ(ptSecond->GetUniqueID(), ptSecond->GetUniqueID());

    auto* ptOther = new (_ptMemMgr) KxwDomCoreDocument(_ptMemMgr, nullptr, KXW_DOM_COMMON_NODE_SUBTYPE_DOCUMENT);
    KxwTestAttrElement* ptThird = NewAttrElement(ptOther);
    EXPECT_EQ("ms__id1", Text(*ptThird->GetUniqueID()));
    delete ptOther;
    // A new document starts again, even where an old one stood.
    auto* ptAgain = new (_ptMemMgr) KxwDomCoreDocument(_ptMemMgr, nullptr, KXW_DOM_COMMON_NODE_SUBTYPE_DOCUMENT);
    EXPECT_EQ("ms__id1", Text(*NewAttrElement(ptAgain)->GetUniqueID()));
    delete ptAgain;
    EXPECT_EQ("ms__id3", Text(*NewAttrElement()->GetUniqueID()));
}

}  // namespace

namespace {

TEST_F(KxwDomCoreElementTest, AttributeNodesMirrorTheirOwnerElement) {
    KxwTestAttrElement* ptElement = NewAttrElement();
    ptElement->AddParsedAttr("data-k", "v1");
    ptElement->AddParsedAttr("href", "h1");
    auto* ptCustom = new (_ptMemMgr)
        KxwDomCoreAttribute(_ptDocument, _ptMemMgr, "data-k", 6, KxwDomCoreAttribute::kUnresolvedTinyId);
    auto* ptDeclared =
        new (_ptMemMgr) KxwDomCoreAttribute(_ptDocument, _ptMemMgr, u"HREF", 4, KxwDomCoreAttribute::kUnresolvedTinyId);
    SetGlobal("el", ptElement);
    SetGlobal("custom", ptCustom);
    SetGlobal("declared", ptDeclared);
    // Free attributes keep their own value.
    EXPECT_EQ("2|data-k|free|false|null", Eval("custom.value = 'free'; [custom.nodeType, custom.name, custom.value, "
                                               "custom.specified, String(custom.parentNode)].join('|')"));
    ptCustom->SetOwnerElement(ptElement);
    ptDeclared->SetOwnerElement(ptElement);
    EXPECT_EQ("v1|h1|true|true",
              Eval("[custom.value, declared.value, custom.specified, declared.specified].join('|')"));
    EXPECT_EQ(-31, ptDeclared->GetTinyId());
    // Writing the attribute writes the element, and the other way round.
    EXPECT_EQ("v2|h2", Eval("custom.value = 'v2'; declared.value = 'h2'; el.getAttribute('data-k') + '|' + el.href"));
    EXPECT_EQ("h2", Text(ptElement->_tHref));
    EXPECT_EQ("v3|false", Eval("el.setAttribute('data-k', 'v3'); custom.value + '|' + el.removeAttribute('zz')"));
    EXPECT_EQ("false", Eval("el.removeAttribute('data-k'); custom.specified"));
    delete ptElement;
    // Once the element is gone the attribute is free and keeps the value it last saw.
    EXPECT_FALSE(ptCustom->HasOwnerElement());
    EXPECT_EQ("v3", Text(ptCustom->GetValue()));
    delete ptCustom;
    delete ptDeclared;
}

TEST_F(KxwDomCoreElementTest, TheAttributesCollectionListsEveryAttributeAndFollowsChanges) {
    KxwTestAttrElement* ptElement = NewAttrElement();
    ptElement->AddParsedAttr("id", "p1");
    ptElement->AddParsedAttr("data-k", "v1");
    SetGlobal("el", ptElement);
    // The writable declared properties are there whether set or not; "specified" tells which are. The 79 event
    // handler properties (onabort ... onunload) come after the element's own.
    EXPECT_EQ("id,name,href,data-k", Eval("var attrs = el.attributes, names = []; "
                                          "for (var i = 0; i < attrs.length; i++) "
                                          "if (!/^on/.test(attrs[i].name)) names.push(attrs[i].name); "
                                          "names.join()"));
    EXPECT_EQ("83|onabort|onunload", Eval("[attrs.length, attrs[3].name, attrs[81].name].join('|')"));
    EXPECT_EQ("true|false|true|p1|v1", Eval("[attrs.id.specified, attrs.getNamedItem('NAME').specified, "
                                            "attrs['data-k'].specified, attrs.getNamedItem('ID').value, "
                                            "el.getAttributeNode('Data-K').value].join('|')"));
    EXPECT_EQ("true|null|null", Eval("[el.attributes === attrs, String(attrs.getNamedItem('nothing')), "
                                     "String(el.getAttributeNode('nothing'))].join('|')"));
    // for...in lists the indexes and the names.
    EXPECT_EQ("0,1,2,3,id,name,href,data-k",
              Eval("var keys = []; for (var k in attrs) if (k != 'length' && typeof attrs[k] == 'object' && "
                   "(!/^[0-9]+$/.test(k) || k < 4) && !/^on/.test(k)) keys.push(k); "
                   "keys.join()"));
    // An expando or a setAttribute of a new name adds a node; removing the attribute takes it out.
    EXPECT_EQ("84|85|x|y", Eval("el.foo = 'x'; var n = attrs.length; el.setAttribute('bar', 'y'); "
                              "[n, attrs.length, attrs.foo.value, attrs.getNamedItem('bar').value].join('|')"));
    EXPECT_EQ("true|84|undefined", Eval("var r = el.removeAttribute('bar'); [r, attrs.length, String(attrs.bar)]"
                                       ".join('|')"));
    // Attribute nodes stay the same objects, and their expandos live while the element does.
    EXPECT_EQ("true|kept", Eval("var node = attrs.foo; node.tag = 'kept'; (attrs.foo === node) + '|' + attrs.foo.tag"));
    _ptEngine->CollectGarbage(true);
    EXPECT_EQ("kept", Eval("el.attributes.foo.tag"));
}

TEST_F(KxwDomCoreElementTest, SetAttributeNodeReplacesTheNodeOfItsName) {
    KxwTestAttrElement* ptElement = NewAttrElement();
    ptElement->AddParsedAttr("data-k", "old");
    auto* ptFree = new (_ptMemMgr)
        KxwDomCoreAttribute(_ptDocument, _ptMemMgr, u"DATA-K", 6, KxwDomCoreAttribute::kUnresolvedTinyId);
    auto* ptHref =
        new (_ptMemMgr) KxwDomCoreAttribute(_ptDocument, _ptMemMgr, u"href", 4, KxwDomCoreAttribute::kUnresolvedTinyId);
    SetGlobal("el", ptElement);
    SetGlobal("fresh", ptFree);
    SetGlobal("href", ptHref);
    EXPECT_EQ("old|old|false|new|new|true",
              Eval("fresh.value = 'new'; var old = el.setAttributeNode(fresh); "
                   "[old.value, old.name == 'data-k' ? old.value : '', old.specified, el.getAttribute('data-k'), "
                   "el.attributes['data-k'].value, el.attributes['data-k'] === fresh].join('|')"));
    EXPECT_EQ("h|h", Eval("href.value = 'h'; el.setAttributeNode(href); el.href + '|' + el.getAttribute('href')"));
    EXPECT_EQ("h", Text(ptElement->_tHref));
    // A node that belongs to an element cannot be set again: a script error, nothing changes.
    EXPECT_EQ("caught", Eval("try { el.setAttributeNode(fresh); 'no error' } catch (e) { 'caught' }"));
    EXPECT_EQ("new", Eval("el.getAttribute('data-k')"));
    // The replaced node is free: it belongs to its engine object and goes once no script holds it.
    Eval("old = null; fresh = null; href = null;");
    _ptEngine->CollectGarbage(true);
    EXPECT_EQ("new", Eval("el.attributes['data-k'].value"));
}

TEST_F(KxwDomCoreElementTest, AttributeNodesOutliveTheirElementAsFreeNodes) {
    KxwTestAttrElement* ptElement = NewAttrElement();
    ptElement->AddParsedAttr("data-k", "v");
    SetGlobal("el", ptElement);
    Eval("var held = el.attributes['data-k'];");
    _ptDocument->RemoveChild(ptElement);
    delete ptElement;
    EXPECT_EQ("v|false|null", Eval("[held.value, held.specified, String(held.parentNode)].join('|')"));
    Eval("held = null;");
    _ptEngine->CollectGarbage(true);
}

}  // namespace
