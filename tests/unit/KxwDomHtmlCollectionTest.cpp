#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "KxwDomHtmlCollection.h"
#include "KxwDomHtmlCollectionMap.h"
#include "KxwDomHtmlDynamicCollection.h"
#include "KxwDomNodeTestClasses.h"
#include "KxwRecordingSink.h"

namespace {

// A test element with an id, so that named lookups have something to find.
class KxwTestIdElement : public KxwTestNodeElement {
public:
    KxwTestIdElement(KxwDomCoreDocument* mptOwnerDocument, KxwMemMgr* mptMemMgr, const std::string& mdsTag,
                     const std::string& mdsId)
        : KxwTestNodeElement(mptOwnerDocument, mptMemMgr, mdsTag), _tId(GetDomEnv()), _tName(GetDomEnv()) {
        SetIdText(mdsId);
    }
    const KxwDomHtmlPropertyStr& GetId() const override { return _tId; }
    const KxwDomHtmlPropertyStr& GetName() const override { return _tName; }
    void ChangeName(const std::string& mdsName) {
        NotifyAncestors(KXW_DOM_COMMON_NOTIFICATION_ENUM_NAME_CHANGED, this, const_cast<char*>(mdsName.c_str()));
        _tName.SetDcs(mdsName.data(), static_cast<unsigned>(mdsName.size()));
    }
    // As an element does: the ancestors hear of the new id before it is stored.
    void ChangeId(const std::string& mdsId) {
        NotifyAncestors(KXW_DOM_COMMON_NOTIFICATION_ENUM_CHANGED, this, const_cast<char*>(mdsId.c_str()));
        SetIdText(mdsId);
    }

private:
    void SetIdText(const std::string& mdsId) { _tId.SetDcs(mdsId.data(), static_cast<unsigned>(mdsId.size())); }
    KxwDomHtmlPropertyStr _tId;
    KxwDomHtmlPropertyStr _tName;
};

class KxwDomHtmlCollectionTest : public KxwDomNodeTest {
protected:
    KxwTestIdElement* NewIdElement(const std::string& mdsTag, const std::string& mdsId) {
        return new (_ptMemMgr) KxwTestIdElement(_ptDocument, _ptMemMgr, mdsTag, mdsId);
    }
    // The tags of a collection's items, joined with ",".
    static std::string Tags(KxwDomHtmlCollectionGeneral* mptCollection) {
        std::string dsTags;
        for (KxwDomNodeBase* ptNode : *mptCollection) {
            if (!dsTags.empty()) dsTags += ",";
            dsTags += KxwTestNotificationLog::Name(ptNode);
        }
        return dsTags;
    }
    // The same from a script: what c[0], c[1] ... give.
    std::string ScriptTags(const std::string& mdsCollection) {
        return Eval(
            "(function (c) { var r = []; for (var i = 0; i < c.length; i++) r.push(c[i].nodeName); "
            "return r.join(','); })(" +
            mdsCollection + ")");
    }
};

TEST_F(KxwDomHtmlCollectionTest, GeneralCollectionIndexesAppendsAndRemoves) {
    KxwDomHtmlCollectionGeneral* ptCollection =
        new (_ptMemMgr) KxwDomHtmlCollectionGeneral(static_cast<KxwMemMgr*>(_ptMemMgr));
    KxwTestNodeElement* ptA = NewElement("A");
    KxwTestNodeElement* ptB = NewElement("B");
    KxwTestNodeElement* ptC = NewElement("C");
    _ptDocument->AppendChild(ptA);
    _ptDocument->AppendChild(ptB);
    _ptDocument->AppendChild(ptC);
    EXPECT_TRUE(ptCollection->IsEmpty());
    EXPECT_EQ(nullptr, ptCollection->GetItem(0ul));
    EXPECT_TRUE(ptCollection->AppendItem(ptA));
    EXPECT_TRUE(ptCollection->AppendItem(ptC));
    EXPECT_TRUE(ptCollection->InsertItemAfterNode(ptB, ptA));
    EXPECT_EQ("A,B,C", Tags(ptCollection));
    EXPECT_EQ(3ul, ptCollection->GetLength());
    // Forward, backward and forward again through the cursor.
    EXPECT_EQ(ptC, ptCollection->GetItem(2ul));
    EXPECT_EQ(ptA, ptCollection->GetItem(0ul));
    EXPECT_EQ(ptB, ptCollection->GetItem(1ul));
    EXPECT_EQ(ptC, ptCollection->GetItem(2ul));
    EXPECT_EQ(nullptr, ptCollection->GetItem(3ul));
    EXPECT_EQ(1ul, ptCollection->GetItemIndex(ptB));
    EXPECT_FALSE(ptCollection->InsertItemAfterNode(ptB, _ptDocument)) << "the node to follow is not an item";

    EXPECT_TRUE(ptCollection->RemoveItem(ptB, true));
    EXPECT_EQ(ptC, ptCollection->GetItem(1ul)) << "the cursor was reset by the removal";
    EXPECT_FALSE(ptCollection->IsItemFound(ptB));
    EXPECT_EQ(~0ul, ptCollection->GetItemIndex(ptB));
    {
        KxwRecordingSink tSink;
        EXPECT_FALSE(ptCollection->RemoveItem(ptB, true));
        EXPECT_TRUE(tSink.Saw("Item not found in KxwDomHtmlCollectionGeneral::RemoveItem"));
        EXPECT_FALSE(ptCollection->RemoveItem(nullptr, true));
        EXPECT_TRUE(tSink.Saw("Invalid mptReferencedNode in KxwDomHtmlCollectionGeneral::RemoveItem"));
        EXPECT_FALSE(ptCollection->UpdateCollection(static_cast<KXW_DOM_COMMON_NOTIFICATION_ENUM>(99), ptA, nullptr));
        EXPECT_TRUE(tSink.Saw("Invalid meNotificationType (99) in KxwDomHtmlCollectionGeneral::UpdateCollection."));
    }
    EXPECT_TRUE(ptCollection->ReplaceItems(ptC, ptB));
    EXPECT_EQ("A,B", Tags(ptCollection));
    EXPECT_EQ(ptA, ptCollection->RemoveAndReturnFirstItem());
    ptCollection->Reset();
    EXPECT_TRUE(ptCollection->IsEmpty());
    EXPECT_EQ(nullptr, ptCollection->GetFirstItem());
    EXPECT_EQ(nullptr, ptCollection->GetLastItem());
    EXPECT_EQ(KXW_DOM_HTML_READY_STATE_COMPLETE, ptCollection->GetReadyStateRaw());
    delete ptCollection;
}

TEST_F(KxwDomHtmlCollectionTest, AllChildrenAndChildNodesFollowTheTreeInDocumentOrder) {
    KxwTestNodeElement* ptBody = NewElement("BODY");
    KxwTestNodeElement* ptDiv = NewElement("DIV");
    KxwTestNodeElement* ptSpan = NewElement("SPAN");
    _ptDocument->AppendChild(ptBody);
    ptBody->AppendChild(ptDiv);
    ptDiv->AppendChild(ptSpan);
    ptBody->AppendChild(NewText(u"t"));
    SetGlobal("body", ptBody);
    EXPECT_EQ("DIV,SPAN", ScriptTags("body.all"));
    // Elements bind "children" later; the node hands it out already.
    SetGlobal("kids", ptBody->GetChildren());
    EXPECT_EQ("2|1|2", Eval("[body.all.length, kids.length, body.childNodes.length].join('|')"));
    EXPECT_EQ("true", Eval("body.all === body.all"));

    // Insertions before existing elements land in document order, subtrees included.
    KxwTestNodeElement* ptFirst = NewElement("FIRST");
    ptFirst->AppendChild(NewElement("INNER"));
    SetGlobal("first", ptFirst);
    Eval("var all = body.all, nodes = body.childNodes; body.insertBefore(first, body.firstChild)");
    EXPECT_EQ("FIRST,INNER,DIV,SPAN", ScriptTags("all"));
    EXPECT_EQ("FIRST,DIV", ScriptTags("kids"));
    EXPECT_EQ("FIRST,DIV,#text", Eval("(function(){var r=[];for(var i=0;i<nodes.length;i++)r.push(nodes[i].nodeType==3?"
                                      "'#text':nodes[i].nodeName);return r.join(',');})()"));
    KxwTestNodeElement* ptMiddle = NewElement("MIDDLE");
    ptDiv->InsertBefore(ptMiddle, ptSpan);
    EXPECT_EQ("FIRST,INNER,DIV,MIDDLE,SPAN", ScriptTags("all"));
    EXPECT_EQ("FIRST,DIV", ScriptTags("kids")) << "a grandchild is not a child";

    // Removals: the script's collections lose the subtree at once.
    Eval("body.removeChild(first)");
    EXPECT_EQ("DIV,MIDDLE,SPAN", ScriptTags("all"));
    EXPECT_EQ("DIV", ScriptTags("kids"));
    EXPECT_EQ("2", Eval("nodes.length"));
    EXPECT_EQ("undefined", Eval("String(all[3])")) << "an index beyond the length reads as undefined";
    EXPECT_EQ("true|true|true", Eval("[all.item(all.length) === null, all.item() === null, all.item(0) === all[0]]"
                                     ".join('|')"));
    _ptDocument->AppendChild(ptFirst);  // no longer under body: it goes with the document

    // A node's collections go with it; the engine objects the script holds answer nothing afterwards.
    ptDiv->DeleteChildren(true);
    EXPECT_EQ("DIV", ScriptTags("all"));
    _ptDocument->RemoveChild(ptBody);
    _ptDocument->Reset();
    EXPECT_EQ("undefined", Eval("String(all.length)"));
}

TEST_F(KxwDomHtmlCollectionTest, TagsAndGetElementsByTagNameAreLiveAndShared) {
    KxwTestNodeElement* ptBody = NewElement("BODY");
    _ptDocument->AppendChild(ptBody);
    ptBody->AppendChild(NewElement("DIV"));
    ptBody->AppendChild(NewElement("P"));
    ptBody->AppendChild(NewElement("div"));
    SetGlobal("body", ptBody);
    EXPECT_EQ("2|true|true|3", Eval("var divs = body.getElementsByTagName('div'); [divs.length, "
                                    "divs === body.getElementsByTagName('DIV'), divs === body.all.tags('div'), "
                                    "body.all.tags('*').length].join('|')"));
    EXPECT_EQ("null", Eval("String(divs.item(divs.length))"));
    // Live: an insertion in front of the first div and a removal reach the held collection.
    KxwTestNodeElement* ptNew = NewElement("Div");
    ptBody->InsertBefore(ptNew, ptBody->GetFirstChild());
    EXPECT_EQ("Div,DIV,div", ScriptTags("divs"));
    EXPECT_EQ("4", Eval("body.all.tags('*').length"));
    ptBody->RemoveChild(ptNew);
    EXPECT_EQ("DIV,div", ScriptTags("divs"));
    _ptDocument->AppendChild(ptNew);
    EXPECT_EQ("0", Eval("divs.tags('p').length")) << "tags of a tags result are a subset of it";

    // Nodes that C++ deletes under the collection never dangle in it.
    ptBody->DeleteChildren(true);
    EXPECT_EQ("0|0|undefined", Eval("[divs.length, body.all.tags('*').length, String(divs[0])].join('|')"));
    EXPECT_EQ("null", Eval("String(body.all.tags(''))"));
}

TEST_F(KxwDomHtmlCollectionTest, NamedLookupsGiveAnElementOrALiveCollection) {
    KxwTestNodeElement* ptBody = NewElement("BODY");
    _ptDocument->AppendChild(ptBody);
    KxwTestIdElement* ptOne = NewIdElement("INPUT", "field");
    KxwTestIdElement* ptTwo = NewIdElement("SELECT", "field");
    KxwTestIdElement* ptOther = NewIdElement("A", "Link");
    ptBody->AppendChild(ptOne);
    ptBody->AppendChild(ptOther);
    ptBody->AppendChild(ptTwo);
    SetGlobal("body", ptBody);
    EXPECT_EQ("A|A|A|null", Eval("var all = body.all; [all.Link.nodeName, all.namedItem('link').nodeName, "
                                 "all.item('LINK').nodeName, String(all.item('Link', 1))].join('|')"));
    EXPECT_EQ("0,1,2", Eval("var ks = []; for (var k in all) if (/^[0-9]+$/.test(k)) ks.push(k); ks.join()"))
        << "for...in lists the indexes";
    EXPECT_EQ("undefined|null", Eval("[String(all.link), String(all.namedItem('nothing'))].join('|')"))
        << "the property read is exact, the named lookup ignores case";
    EXPECT_EQ("2|INPUT,SELECT|true|SELECT", Eval("var f = all.field; [f.length, [f[0].nodeName, f[1].nodeName], "
                                                 "f === all.field, all.item('field', 1).nodeName].join('|')"));
    EXPECT_EQ("0", Eval("all.namedItem('').length")) << "an empty name gives an empty collection";
    EXPECT_EQ("true|false", Eval("['Link' in all, 'nothing' in all].join('|')"));
    EXPECT_FALSE(ptBody->GetAll()->IsResolved(""));
    EXPECT_FALSE(ptBody->GetAll()->IsResolved(nullptr));

    // The collection of the shared name follows removals and id changes.
    ptBody->RemoveChild(ptOne);
    EXPECT_EQ("1|SELECT", Eval("[f.length, f[0].nodeName].join('|')"));
    ptOther->ChangeId("field");
    EXPECT_EQ("A,SELECT", ScriptTags("f")) << "the new id joins in document order";
    EXPECT_EQ("undefined", Eval("String(all.Link)"));
    ptTwo->ChangeId("gone");
    EXPECT_EQ("A|SELECT", Eval("[f[0].nodeName, all.gone.nodeName, f.length].slice(0, 2).join('|')"));
    EXPECT_EQ("1", Eval("f.length"));
    _ptDocument->AppendChild(ptOne);
}

TEST_F(KxwDomHtmlCollectionTest, NamesAnswerNamedLookupsLikeIds) {
    KxwTestNodeElement* ptBody = NewElement("BODY");
    _ptDocument->AppendChild(ptBody);
    KxwTestIdElement* ptForm = NewIdElement("FORM", "");
    KxwTestIdElement* ptInput = NewIdElement("INPUT", "q");
    KxwTestIdElement* ptImg = NewIdElement("IMG", "");
    ptForm->ChangeName("login");
    ptBody->AppendChild(ptForm);
    ptBody->AppendChild(ptInput);
    ptBody->AppendChild(ptImg);
    SetGlobal("body", ptBody);
    EXPECT_EQ("FORM|FORM|FORM|undefined", Eval("var all = body.all; [all.login.nodeName, all.namedItem('LOGIN').nodeName, "
                                               "all.item('login').nodeName, String(all.Login)].join('|')"));
    // An element filed under its id and its name is found by either, once.
    ptInput->ChangeName("q");
    EXPECT_EQ("INPUT", Eval("all.q.nodeName"));
    ptImg->ChangeName("q");
    EXPECT_EQ("2|INPUT,IMG", Eval("var q = all.q; [q.length, [q[0].nodeName, q[1].nodeName]].join('|')"));
    // Renaming re-keys: the old name no longer answers, the new one does, the held collection follows.
    ptImg->ChangeName("pic");
    EXPECT_EQ("IMG|1|null", Eval("[all.pic.nodeName, q.length, String(all.namedItem('gone'))].join('|')"));
    ptForm->ChangeName("");
    EXPECT_EQ("undefined|null", Eval("[String(all.login), String(all.namedItem('login'))].join('|')"));
    // The id stays while the name changes, and the other way round; the collection made for "q" stays the answer
    // for that name and keeps following.
    ptInput->ChangeName("other");
    EXPECT_EQ("true|1|INPUT|INPUT", Eval("[all.q === q, q.length, q[0].nodeName, all.other.nodeName].join('|')"));
    ptInput->ChangeId("q2");
    EXPECT_EQ("INPUT|INPUT|0", Eval("[all.q2.nodeName, all.other.nodeName, q.length].join('|')"));
}

TEST_F(KxwDomHtmlCollectionTest, DependentCollectionFollowsTheOrderOfAll) {
    KxwTestNodeElement* ptBody = NewElement("BODY");
    _ptDocument->AppendChild(ptBody);
    KxwTestNodeElement* ptA = NewElement("A");
    KxwTestNodeElement* ptB = NewElement("B");
    KxwTestNodeElement* ptC = NewElement("C");
    ptBody->AppendChild(ptA);
    ptBody->AppendChild(ptB);
    ptA->AppendChild(ptC);
    KxwDomHtmlCollectionOrdered* ptAll = ptBody->GetAll();
    ASSERT_NE(nullptr, ptAll);
    EXPECT_EQ("A,C,B", Tags(ptAll));
    KxwDomHtmlCollectionDependent* ptDependent = new (_ptMemMgr) KxwDomHtmlCollectionDependent(ptBody->GetDomEnv());
    {
        KxwRecordingSink tSink;
        EXPECT_TRUE(ptDependent->AddItem(ptB));
        EXPECT_TRUE(tSink.Saw("when _ptDependentOnCollection=NULL"));
        ptDependent->Reset();
    }
    ptDependent->SetDependentOnCollection(ptAll);
    EXPECT_TRUE(ptDependent->AddItem(ptB));
    EXPECT_TRUE(ptDependent->AddItem(ptA));
    EXPECT_TRUE(ptDependent->AddItem(ptC));
    EXPECT_EQ("A,C,B", Tags(ptDependent));
    {
        KxwRecordingSink tSink;
        KxwTestNodeElement* ptOutside = NewElement("OUT");
        _ptDocument->AppendChild(ptOutside);
        EXPECT_FALSE(ptDependent->AddItem(ptOutside));
        EXPECT_TRUE(tSink.Saw("not found in dependent on collection in KxwDomHtmlCollectionDependent::AddItem"));
    }
    EXPECT_EQ(3ul, ptDependent->GetLength());
    delete ptDependent;
}

TEST_F(KxwDomHtmlCollectionTest, ManyElementsFromAScript) {
    KxwTestNodeElement* ptBody = NewElement("BODY");
    _ptDocument->AppendChild(ptBody);
    constexpr int kCount = 10000;
    for (int n = 0; n < kCount; ++n) ptBody->AppendChild(NewElement(n % 2 ? "SPAN" : "DIV"));
    SetGlobal("body", ptBody);
    auto tStart = std::chrono::steady_clock::now();
    EXPECT_EQ("5000|5000", Eval("var c = body.getElementsByTagName('div'), k = 0; "
                                "for (var i = 0; i < c.length; i++) if (c[i].nodeName == 'DIV') k++; "
                                "[c.length, k].join('|')"));
    EXPECT_EQ("10000", Eval("body.getElementsByTagName('*').length"));
    auto tMs = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - tStart);
    std::printf("getElementsByTagName over %d elements and reading each: %lld ms\n", kCount,
                static_cast<long long>(tMs.count()));
}

// The index under the named lookups: a key shared by several nodes counts 2 until all but one are unfiled, and then
// answers the one left; filing a node twice under one key files it once; a node unfiled under every key leaves no
// trace; the identifier index ignores ASCII case, the exact one does not.
TEST_F(KxwDomHtmlCollectionTest, TheNameIndexCountsSharedKeysAndForgetsUnfiledNodes) {
    KxwTestIdElement* ptA = NewIdElement("A", "Key");
    KxwTestIdElement* ptB = NewIdElement("B", "key");
    KxwTestIdElement* ptC = NewIdElement("C", "KEY");
    KxwTestIdElement* ptD = NewIdElement("D", "other");
    KxwDomHtmlCollectionMap tById(_ptMemMgr, true);
    KxwDomHtmlCollectionMap tExact(_ptMemMgr, false);
    for (KxwDomHtmlCollectionMap* ptMap : {&tById, &tExact})
        for (KxwDomNodeBase* ptNode : {static_cast<KxwDomNodeBase*>(ptA), static_cast<KxwDomNodeBase*>(ptB),
                                       static_cast<KxwDomNodeBase*>(ptC), static_cast<KxwDomNodeBase*>(ptD)})
            ptMap->Add(ptNode);
    KxwDomNodeBase* ptSingle = nullptr;
    EXPECT_EQ(2u, tById.Count("kEy", &ptSingle));
    EXPECT_EQ(nullptr, ptSingle);
    EXPECT_EQ(1u, tExact.Count("key", &ptSingle));
    EXPECT_EQ(ptB, ptSingle);
    tById.Add(ptB);
    tById.Remove(ptA);
    tById.Remove(ptA);
    EXPECT_EQ(2u, tById.Count("key", nullptr)) << "B and C are left, B filed once";
    tById.RemoveUnderAnyKey(ptC);
    EXPECT_EQ(1u, tById.Count("KEY", &ptSingle));
    EXPECT_EQ(ptB, ptSingle);
    tById.Remove(ptB);
    EXPECT_EQ(0u, tById.Count("key", &ptSingle));
    EXPECT_EQ(nullptr, ptSingle);
    tById.Rekey(ptD, "Renamed", true);
    EXPECT_EQ(0u, tById.Count("other", nullptr));
    EXPECT_EQ(1u, tById.Count("RENAMED", &ptSingle));
    EXPECT_EQ(ptD, ptSingle);
    tExact.RemoveUnderAnyKey(ptD);
    EXPECT_EQ(0u, tExact.Count("other", nullptr));
    EXPECT_EQ(1u, tExact.Count("KEY", &ptSingle));
    EXPECT_EQ(ptC, ptSingle);
    for (KxwTestIdElement* ptNode : {ptA, ptB, ptC, ptD}) delete ptNode;
}

}  // namespace
