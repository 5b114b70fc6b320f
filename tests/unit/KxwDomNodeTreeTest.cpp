#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "KxwDomHtmlCollection.h"
#include "KxwDomNodeTestClasses.h"
#include "KxwDomTraverseHierarchy.h"
#include "KxwRecordingSink.h"

namespace {

using Lines = std::vector<std::string>;

class KxwDomNodeTreeTest : public KxwDomNodeTest {
protected:
    // A script helper: the node names of a node's children, as scripts walk them.
    std::string Tags(const std::string& mdsNode) {
        return Eval(
            "(function (n) { var r = []; for (var c = n.firstChild; c; c = c.nextSibling) r.push(c.nodeType == 3 ? "
            "\"'\" + c.data + \"'\" : c.nodeName); return r.join(','); })(" +
            mdsNode + ")");
    }
    static Lines TakeLog() {
        Lines tLines;
        tLines.swap(KxwTestNotificationLog::Lines());
        return tLines;
    }
};

TEST_F(KxwDomNodeTreeTest, PrimitiveLinksKeepTheListWhole) {
    KxwRecordingSink tSink;
    KxwTestNodeElement* ptParent = NewElement("p");
    KxwTestNodeElement* ptOther = NewElement("q");
    KxwTestNodeElement* ptA = NewElement("a");
    KxwTestNodeElement* ptB = NewElement("b");
    KxwTestNodeElement* ptC = NewElement("c");
    KxwTestNodeElement* ptD = NewElement("d");

    ptParent->BasicAppendChild(ptA);
    ptParent->BasicAppendChild(ptC);
    ptParent->BasicInsertBefore(ptB, ptC);
    EXPECT_EQ("a,b,c", ChildTags(ptParent));
    EXPECT_EQ(ptA, ptParent->GetFirstChild());
    EXPECT_EQ(ptC, ptParent->GetLastChild());
    EXPECT_EQ(ptA, ptB->GetPreviousSibling());
    EXPECT_EQ(ptC, ptB->GetNextSibling());
    EXPECT_EQ(ptParent, ptB->GetParentNode());

    ptParent->BasicReplaceChild(ptD, ptB);
    EXPECT_EQ("a,d,c", ChildTags(ptParent));
    EXPECT_EQ(nullptr, ptB->GetContainerNode());
    EXPECT_EQ(nullptr, ptB->GetPreviousSibling());
    EXPECT_EQ(nullptr, ptB->GetNextSibling());
    ptParent->BasicReplaceChild(ptB, ptA);  // at the front
    ptParent->BasicReplaceChild(ptA, ptC);  // at the end
    EXPECT_EQ("b,d,a", ChildTags(ptParent));
    EXPECT_EQ(ptB, ptParent->GetFirstChild());
    EXPECT_EQ(ptA, ptParent->GetLastChild());

    ptParent->BasicRemoveChild(ptB);
    EXPECT_EQ("d,a", ChildTags(ptParent));
    EXPECT_EQ(nullptr, ptD->GetPreviousSibling());
    EXPECT_EQ(0u, tSink.Count());
    // A child of another node is reported and left in place; a node without parent is left alone.
    ptOther->BasicRemoveChild(ptD);
    EXPECT_TRUE(tSink.Saw("!= this (" + KxwTestPtrText(static_cast<KxwDomBase*>(ptOther)) +
                          ") in KxwDomCoreNode::BasicRemoveChild"));
    EXPECT_EQ("d,a", ChildTags(ptParent));
    ptOther->BasicRemoveChild(ptB);
    EXPECT_EQ(1u, tSink.Count());

    EXPECT_TRUE(ptA->IsDescendantOf(ptParent));
    EXPECT_FALSE(ptParent->IsDescendantOf(ptParent));
    EXPECT_FALSE(ptB->IsDescendantOf(ptParent));
    // A node deleted while still linked leaves the list whole.
    delete ptD;
    EXPECT_EQ("a", ChildTags(ptParent));
    EXPECT_EQ(ptA, ptParent->GetFirstChild());
    EXPECT_EQ(nullptr, ptA->GetPreviousSibling());

    delete ptParent;
    delete ptOther;
    delete ptB;
    delete ptC;
}

TEST_F(KxwDomNodeTreeTest, NotificationsGoUpThenDownAndReachOnlyAncestorsOutsideTheMovedSubtree) {
    KxwTestRecordingElement* ptA = NewRecordingElement("A");
    KxwTestRecordingElement* ptB = NewRecordingElement("B");
    KxwTestRecordingElement* ptC = NewRecordingElement("C");
    ASSERT_EQ(ptA, _ptDocument->AppendChild(ptA));
    ASSERT_EQ(ptB, ptA->AppendChild(ptB));
    ASSERT_EQ(ptC, ptB->AppendChild(ptC));
    TakeLog();

    KxwTestNodeElement* ptD = NewElement("D");
    ASSERT_EQ(ptD, ptC->AppendChild(ptD));
    EXPECT_EQ((Lines{"This C 1 D", "This B 1 D", "This A 1 D", "After A 1 D", "After B 1 D", "After C 1 D"}),
              TakeLog());
    ASSERT_EQ(ptD, ptC->RemoveChild(ptD));
    EXPECT_EQ((Lines{"This C 2 D", "This B 2 D", "This A 2 D", "After A 2 D", "After B 2 D", "After C 2 D"}),
              TakeLog());
    EXPECT_EQ((std::vector<bool>{true}), ptA->_tRemovedSubjectStillLinked) << "removals are announced before unlinking";

    // A subtree: each node is announced to the ancestors of its top, never to those inside it.
    KxwTestRecordingElement* ptE = NewRecordingElement("E");
    ptD = NewElement("D");
    ptE->BasicAppendChild(ptD);
    ptD->BasicAppendChild(NewText(u"t"));
    ASSERT_EQ(ptE, ptB->AppendChild(ptE));
    EXPECT_EQ((Lines{"This B 1 E", "This A 1 E", "After A 1 E", "After B 1 E", "This B 1 D", "This A 1 D",
                     "After A 1 D", "After B 1 D", "This B 1 't'", "This A 1 't'", "After A 1 't'", "After B 1 't'"}),
              TakeLog());
    ASSERT_EQ(ptE, ptB->RemoveChild(ptE));
    EXPECT_EQ((Lines{"This B 2 E", "This A 2 E", "After A 2 E", "After B 2 E", "This B 2 D", "This A 2 D",
                     "After A 2 D", "After B 2 D", "This B 2 't'", "This A 2 't'", "After A 2 't'", "After B 2 't'"}),
              TakeLog());
    EXPECT_EQ("D", ChildTags(ptE)) << "the removed subtree keeps its content";
    EXPECT_TRUE(_ptDocument->IsOnDisconnectedNodesList(ptE));
    EXPECT_FALSE(_ptDocument->IsOnDisconnectedNodesList(ptD));

    // Deleting descendants is announced to the node itself and its ancestors.
    ptC->AppendChild(NewElement("F"));
    TakeLog();
    ptC->DeleteChildren(true);
    EXPECT_EQ((Lines{"This C 19 C", "This B 19 C", "This A 19 C", "After A 19 C", "After B 19 C"}), TakeLog());
    EXPECT_FALSE(ptC->HasChildNodes());
}

TEST_F(KxwDomNodeTreeTest, NotificationStopsWhereTheWatchedNodeWasDeleted) {
    KxwTestRecordingElement* ptA = NewRecordingElement("A");
    KxwTestRecordingElement* ptB = NewRecordingElement("B");
    KxwTestRecordingElement* ptC = NewRecordingElement("C");
    _ptDocument->AppendChild(ptA);
    ptA->AppendChild(ptB);
    ptB->AppendChild(ptC);
    KxwTestNodeElement* ptD = NewElement("D");
    TakeLog();

    // B's handler takes D out of C and deletes C, the node that started B's level: nothing above B hears of it,
    // and no level whose node is gone calls down again.
    bool bArmed = true;
    ptB->_tOnNotifyThis = [&](KXW_DOM_COMMON_NOTIFICATION_ENUM, KxwDomNodeBase* mptSubject) {
        if (!bArmed || mptSubject != ptD) return;
        bArmed = false;
        ptC->BasicRemoveChild(ptD);
        ptB->BasicRemoveChild(ptC);
        delete ptC;
    };
    EXPECT_EQ(ptD, ptC->AppendChild(ptD));
    EXPECT_EQ((Lines{"This C 1 D", "This B 1 D"}), TakeLog());
    EXPECT_EQ(nullptr, ptD->GetContainerNode());

    // A handler that deletes the subject itself ends the whole walk, and the insertion answers null.
    bArmed = true;
    ptB->_tOnNotifyThis = [&](KXW_DOM_COMMON_NOTIFICATION_ENUM, KxwDomNodeBase* mptSubject) {
        if (!bArmed) return;
        bArmed = false;
        ptB->BasicRemoveChild(mptSubject);
        delete mptSubject;
    };
    EXPECT_EQ(nullptr, ptB->AppendChild(ptD));
    EXPECT_EQ((Lines{"This B 1 D"}), TakeLog());
    EXPECT_FALSE(ptB->HasChildNodes());
}

TEST_F(KxwDomNodeTreeTest, ScriptMethodsMoveInsertAndReplace) {
    KxwRecordingSink tSink;
    KxwTestNodeElement* ptBody = NewElement("BODY");
    KxwTestNodeElement* ptP1 = NewElement("P1");
    KxwTestNodeElement* ptP2 = NewElement("P2");
    _ptDocument->AppendChild(ptBody);
    ptBody->AppendChild(ptP1);
    ptBody->AppendChild(ptP2);
    ptP1->AppendChild(NewElement("X"));
    ptP1->AppendChild(NewElement("Y"));
    SetGlobal("body", ptBody);
    SetGlobal("p1", ptP1);
    SetGlobal("p2", ptP2);
    Eval("var x = p1.firstChild, y = p1.lastChild");

    // appendChild moves a node from its parent.
    EXPECT_EQ("true", Eval("p2.appendChild(x) === x && x.parentNode === p2"));
    EXPECT_EQ("Y", Tags("p1"));
    EXPECT_EQ("X", Tags("p2"));
    // insertBefore(n, n) changes nothing; a null or missing reference appends.
    EXPECT_EQ("true", Eval("p1.insertBefore(y, y) === y"));
    EXPECT_EQ("Y", Tags("p1"));
    EXPECT_EQ("true", Eval("p2.insertBefore(y, null) === y"));
    EXPECT_EQ("X,Y", Tags("p2"));
    EXPECT_EQ("true", Eval("p2.insertBefore(x) === x"));
    EXPECT_EQ("Y,X", Tags("p2"));
    EXPECT_EQ("true", Eval("p2.insertBefore(x, y) === x"));
    EXPECT_EQ("X,Y", Tags("p2"));
    EXPECT_EQ(0u, tSink.Count());

    // A reference that is not a child fails before anything moves: the node stays where it was.
    EXPECT_EQ("failed", Eval("try { p1.insertBefore(y, body); 'inserted' } catch (e) { 'failed' }"));
    EXPECT_EQ("X,Y", Tags("p2"));
    EXPECT_TRUE(tSink.Saw("insertBefore: the method could not be carried out"));
    // removeChild of a node that is not a child fails.
    tSink.Clear();
    EXPECT_EQ("failed", Eval("try { p1.removeChild(x); 'removed' } catch (e) { 'failed' }"));
    EXPECT_EQ("X,Y", Tags("p2"));
    ASSERT_EQ(1u, tSink.Count());
    EXPECT_EQ("KxwDomCoreNode::removeChild_callback", tSink.Messages()[0]._dsFunction);
    // No cycles, and a node is not its own child.
    tSink.Clear();
    EXPECT_EQ("failed,failed", Eval("[body, p2].map(function (n) { try { x.appendChild(n); return 'appended' } "
                                    "catch (e) { return 'failed' } }).join(',')"));
    EXPECT_EQ("failed", Eval("try { x.appendChild(x); 'appended' } catch (e) { 'failed' }"));
    EXPECT_TRUE(tSink.Saw("in KxwDomCoreNode::ChildCandidateOK"));
    EXPECT_EQ("P1,P2", Tags("body"));

    // replaceChild puts the new node in the old one's place and answers the new node; replaceNode answers the
    // replaced node.
    Eval("var z = y.parentNode.removeChild(y)");
    EXPECT_EQ("true", Eval("p2.replaceChild(z, x) === z"));
    EXPECT_EQ("Y", Tags("p2"));
    EXPECT_EQ("null", Eval("String(x.parentNode)"));
    EXPECT_EQ("true", Eval("y.replaceNode(x) === y && x.parentNode === p2"));
    EXPECT_EQ("X", Tags("p2"));
    EXPECT_EQ("failed", Eval("try { y.replaceNode(x); 'replaced' } catch (e) { 'failed' }")) << "y has no parent";
    // The new node leaves its old place first, even when it came from inside the replaced one.
    Eval("p2.appendChild(y); y.appendChild(p1)");
    EXPECT_EQ("true", Eval("p2.replaceChild(p1, y) === p1"));
    EXPECT_EQ("X,P1", Tags("p2"));
    EXPECT_EQ("", Tags("y"));
}

TEST_F(KxwDomNodeTreeTest, FragmentsGiveTheirChildrenInOrder) {
    KxwRecordingSink tSink;
    KxwTestNodeElement* ptParent = NewElement("P");
    _ptDocument->AppendChild(ptParent);
    ptParent->AppendChild(NewElement("A"));
    ptParent->AppendChild(NewElement("Z"));
    KxwDomCoreDocumentFragment* ptFragment = NewFragment();
    for (const char* pszTag : {"F1", "F2", "F3"}) ptFragment->AppendChild(NewElement(pszTag));
    KxwDomCoreDocumentFragment* ptSecond = NewFragment();
    ptSecond->AppendChild(NewElement("G1"));
    ptSecond->AppendChild(NewText(u"g2"));
    SetGlobal("p", ptParent);
    SetGlobal("frag", ptFragment);
    SetGlobal("second", ptSecond);

    EXPECT_EQ("true|false|11", Eval("[p.appendChild(frag) === frag, frag.hasChildNodes(), frag.nodeType].join('|')"));
    EXPECT_EQ("A,Z,F1,F2,F3", Tags("p"));
    EXPECT_EQ("true", Eval("p.insertBefore(second, p.lastChild.previousSibling) === second"));
    EXPECT_EQ("A,Z,F1,G1,'g2',F2,F3", Tags("p"));
    EXPECT_EQ(0u, tSink.Count());

    // replaceChild does not take a fragment.
    ptFragment->AppendChild(NewElement("H"));
    EXPECT_EQ("failed", Eval("try { p.replaceChild(frag, p.firstChild); 'replaced' } catch (e) { 'failed' }"));
    EXPECT_TRUE(tSink.Saw("DocumentFragment not supported as oNewNode for the replaceChild method"));
    EXPECT_TRUE(tSink.Saw("replaceChild: the method could not be carried out"));
    EXPECT_EQ("A,Z,F1,G1,'g2',F2,F3", Tags("p"));
    EXPECT_EQ("H", Tags("frag"));
    // A reference that is not a child moves nothing out of the fragment.
    EXPECT_EQ(nullptr, ptParent->InsertBefore(ptFragment, ptSecond));
    EXPECT_EQ("H", ChildTags(ptFragment));

    // Not a fragment: reported, and answered unchanged.
    tSink.Clear();
    EXPECT_EQ(ptParent, ptParent->InsertDocumentFragmentChildrenBefore(ptParent, nullptr));
    EXPECT_TRUE(tSink.Saw("ptDocumentFragment is NULL in KxwDomCoreNode::InsertDocumentFragmentChildrenBefore"));
    // Fragments made here were never parked: their maker owns them.
    delete ptFragment;
    delete ptSecond;
}

TEST_F(KxwDomNodeTreeTest, NodesOfAnotherDocumentAreRefused) {
    auto* ptOtherDocument =
        new (_ptMemMgr) KxwDomCoreDocument(_ptMemMgr, nullptr, KXW_DOM_COMMON_NODE_SUBTYPE_DOCUMENT);
    KxwTestNodeElement* ptForeign = NewElement("FOREIGN", ptOtherDocument);
    ptOtherDocument->AppendChild(ptForeign);
    KxwTestNodeElement* ptParent = NewElement("P");
    _ptDocument->AppendChild(ptParent);
    ptParent->AppendChild(NewElement("C"));
    SetGlobal("doc", _ptDocument);
    SetGlobal("p", ptParent);
    SetGlobal("foreign", ptForeign);

    EXPECT_EQ("appendChild:failed,insertBefore:failed,replaceChild:failed,replaceNode:failed",
              Eval("[['appendChild', function () { p.appendChild(foreign) }],"
                   " ['insertBefore', function () { p.insertBefore(foreign, null) }],"
                   " ['replaceChild', function () { p.replaceChild(foreign, p.firstChild) }],"
                   " ['replaceNode', function () { p.firstChild.replaceNode(foreign) }]].map(function (t) {"
                   " try { t[1](); return t[0] + ':done' } catch (e) { return t[0] + ':failed' } }).join(',')"));
    EXPECT_EQ(ptOtherDocument, ptForeign->GetParentNode());
    EXPECT_EQ("C", ChildTags(ptParent));
    // The document itself takes children of its own.
    EXPECT_EQ("true", Eval("doc.appendChild(p.firstChild).parentNode === doc"));
    delete ptOtherDocument;
}

TEST_F(KxwDomNodeTreeTest, RemoveNodeAndHasChildNodes) {
    KxwRecordingSink tSink;
    KxwTestNodeElement* ptBody = NewElement("BODY");
    KxwTestNodeElement* ptWrapper = NewElement("W");
    KxwTestNodeElement* ptGone = NewElement("G");
    _ptDocument->AppendChild(ptBody);
    ptBody->AppendChild(ptWrapper);
    ptBody->AppendChild(NewElement("TAIL"));
    ptWrapper->AppendChild(NewElement("A"));
    ptWrapper->AppendChild(NewText(u"b"));
    ptBody->AppendChild(ptGone);
    ptGone->AppendChild(NewElement("INNER"));
    SetGlobal("body", ptBody);
    SetGlobal("w", ptWrapper);
    SetGlobal("g", ptGone);

    // removeNode(false) leaves the children in the node's place, in order.
    EXPECT_EQ("true|null|false",
              Eval("[w.removeNode(false) === w, String(w.parentNode), w.hasChildNodes()].join('|')"));
    EXPECT_EQ("A,'b',TAIL,G", Tags("body"));
    // removeNode(true) takes the children along.
    EXPECT_EQ("true|null|true", Eval("[g.removeNode(true) === g, String(g.parentNode), g.hasChildNodes()].join('|')"));
    EXPECT_EQ("A,'b',TAIL", Tags("body"));
    // Without a parent there is nothing to do; a text node has no children.
    EXPECT_EQ("true|false|true", Eval("[g.removeNode(true) === g, body.firstChild.nextSibling.hasChildNodes(),"
                                      " body.hasChildNodes()].join('|')"));
    EXPECT_FALSE(tSink.Saw("not supported"));
}

TEST_F(KxwDomNodeTreeTest, PropertiesAsScriptsReadThem) {
    KxwTestNodeElement* ptHtml = NewElement("HTML");
    KxwTestNodeElement* ptFirst = NewElement("FIRST");
    KxwDomCoreTextNode* ptText = NewText(u"caf\u00E9");
    KxwTestNodeElement* ptLast = NewElement("LAST");
    _ptDocument->AppendChild(ptHtml);
    _ptDocument->SetDocumentElement(ptHtml);
    ptHtml->AppendChild(ptFirst);
    ptHtml->AppendChild(ptText);
    ptHtml->AppendChild(ptLast);
    SetGlobal("doc", _ptDocument);
    SetGlobal("html", ptHtml);
    SetGlobal("text", ptText);

    EXPECT_EQ("9|#document|null|true|true|[object coredocument]",
              Eval("[doc.nodeType, doc.nodeName, String(doc.ownerDocument), doc.documentElement === html,"
                   " doc.firstChild === html, Object.prototype.toString.call(doc)].join('|')"));
    EXPECT_EQ("1|HTML|true|FIRST|LAST|null|null|true|",
              Eval("[html.nodeType, html.nodeName, html.ownerDocument === doc, html.firstChild.nodeName,"
                   " html.lastChild.nodeName, String(html.previousSibling), String(html.nextSibling),"
                   " html.parentNode === doc, html.nodeValue].join('|')"));
    EXPECT_EQ("3|#text|4|caf\u00E9|true|FIRST|LAST|null|false",
              Eval("[text.nodeType, text.nodeName, text.length, text.data, text.parentNode === html,"
                   " text.previousSibling.nodeName, text.nextSibling.nodeName, String(text.firstChild),"
                   " text.hasChildNodes()].join('|')"));
    // data and nodeValue are the same text.
    EXPECT_EQ("new text|8|again", Eval("text.data = 'new text'; var r = [text.nodeValue, text.length];"
                                       " text.nodeValue = 'again'; r.push(text.data); r.join('|')"));
    EXPECT_EQ(u"again",
              std::u16string(ptText->GetNodeValue().GetU16nStr(), ptText->GetNodeValue().GetU16nLenInChars()));
    // A node's collections are live collections: its text and element children, its elements, those of a tag.
    EXPECT_EQ("3|2|1|LAST", Eval("[html.childNodes.length, html.all.length, html.getElementsByTagName('LAST').length,"
                                 " html.getElementsByTagName('LAST')[0].nodeName].join('|')"));
    // The document element goes with its removal.
    EXPECT_EQ("null", Eval("doc.removeChild(html); String(doc.documentElement)"));
    EXPECT_EQ(nullptr, _ptDocument->GetDocumentElement());
}

TEST_F(KxwDomNodeTreeTest, CollectionsFollowTheChangesBelowTheirNode) {
    KxwTestRecordingCollections tCollections;
    KxwRecordingSink tSink;
    KxwTestNodeElement* ptParent = NewElement("P");
    KxwTestNodeElement* ptA = NewElement("A");
    KxwDomCoreTextNode* ptText = NewText(u"t");
    _ptDocument->AppendChild(ptParent);
    ptParent->AppendChild(ptA);
    ptA->AppendChild(NewElement("DEEP"));
    ptParent->AppendChild(ptText);
    EXPECT_TRUE(tCollections._tCalls.empty()) << "nothing is kept before a collection was asked for";
    ptParent->GetAll();
    ptParent->GetChildren();
    ptParent->GetChildNodes();
    EXPECT_EQ((Lines{"Create P.all", "Create P.children", "Create P.childNodes"}), tCollections._tCalls);
    tCollections._tCalls.clear();

    ptParent->RemoveChild(ptA);
    // Each list follows the change itself: nothing is rebuilt.
    EXPECT_EQ((Lines{"Update2 P.all A", "Update2 P.children A", "Update2 P.childNodes A", "Update2 P.all DEEP"}),
              tCollections._tCalls);
    tCollections._tCalls.clear();
    ptParent->InsertBefore(ptA, ptText);
    EXPECT_EQ((Lines{"Add P.all A", "Add P.children A", "Add P.childNodes A", "Add P.all DEEP"}), tCollections._tCalls);
    tCollections._tCalls.clear();
    // A text node matters only as a direct child, and only to childNodes.
    ptParent->RemoveChild(ptText);
    EXPECT_EQ((Lines{"Update2 P.childNodes 't'"}), tCollections._tCalls);
    tCollections._tCalls.clear();
    // Id and name changes re-key the element.
    ptA->NotifyAncestors(KXW_DOM_COMMON_NOTIFICATION_ENUM_CHANGED, ptA, const_cast<char*>("id"));
    ptA->GetFirstChild()->NotifyAncestors(KXW_DOM_COMMON_NOTIFICATION_ENUM_NAME_CHANGED, ptA->GetFirstChild(),
                                          const_cast<char*>("n"));
    EXPECT_EQ((Lines{"Update24 P.all A", "Update24 P.children A", "Update24 P.childNodes A", "Update25 P.all DEEP"}),
              tCollections._tCalls);
    tCollections._tCalls.clear();
    // A text node's id cannot change.
    ptParent->AppendChild(ptText);
    tCollections._tCalls.clear();
    ptText->NotifyAncestors(KXW_DOM_COMMON_NOTIFICATION_ENUM_CHANGED, ptText, nullptr);
    EXPECT_TRUE(tSink.Saw("meNotificationType=24 for text-nodes in KxwDomCoreNode::NotifyThisfor this=" +
                          KxwTestPtrText(static_cast<KxwDomBase*>(ptParent))));
    EXPECT_TRUE(tCollections._tCalls.empty());

    SetGlobal("p", ptParent);
    Eval("p.getElementsByTagName('div')");
    ptParent->DeleteChildren(true);
    EXPECT_EQ((Lines{"Tags P.all div", "RemoveUnder P.all P", "Reset P.children", "Reset P.childNodes",
                     "Reset P.childNodes", "Reset P.children", "Reset P.all"}),
              tCollections._tCalls);
    tCollections._tCalls.clear();
    _ptDocument->RemoveChild(ptParent);
    _ptDocument->Reset();
    EXPECT_EQ((Lines{"Delete P.all", "Delete P.children", "Delete P.childNodes"}), tCollections._tCalls);
    EXPECT_EQ(0, tCollections._iLive);
}

TEST_F(KxwDomNodeTreeTest, ANodeDeletedWhileLinkedLeavesNoItemBehind) {
    KxwTestNodeElement* ptParent = NewElement("P");
    KxwTestNodeElement* ptA = NewElement("A");
    KxwTestNodeElement* ptB = NewElement("B");
    _ptDocument->AppendChild(ptParent);
    ptParent->AppendChild(ptA);
    ptParent->AppendChild(ptB);
    ptA->AppendChild(NewElement("DEEP"));
    ptA->AppendChild(NewText(u"x"));
    SetGlobal("p", ptParent);
    EXPECT_EQ("3,1,2", Eval("var all = p.all, deep = p.getElementsByTagName('DEEP'), nodes = p.childNodes; "
                            "[all.length, deep.length, nodes.length].join()"));
    // Not the way the tree lets nodes go, but the collections above must forget the whole subtree.
    delete ptA;
    EXPECT_EQ("1,0,1,B,B", Eval("[all.length, deep.length, nodes.length, all[0].nodeName, nodes[0].nodeName].join()"));
    delete ptB->GetFirstChild();  // nothing to forget: B has no child
    EXPECT_EQ("1", Eval("String(all.length)"));
}

TEST_F(KxwDomNodeTreeTest, DeletingChildrenSurvivesAReleaseThatDeletesASibling) {
    KxwTestNodeElement* ptParent = NewElement("P");
    KxwTestNodeElement* ptFirst = NewElement("A");
    KxwTestNodeElement* ptSecond = NewElement("B");
    _ptDocument->AppendChild(ptParent);
    ptParent->AppendChild(ptFirst);
    ptParent->AppendChild(ptSecond);
    ptParent->AppendChild(NewElement("C"));
    ptSecond->AppendChild(NewElement("UNDER_B"));
    ptFirst->_tOnRelease = [ptSecond] { delete ptSecond; };
    int iLiveBefore = KxwTestNodeElement::Live();

    ptParent->DeleteChildren(false);
    EXPECT_FALSE(ptParent->HasChildNodes());
    EXPECT_EQ(nullptr, ptParent->GetLastChild());
    EXPECT_EQ(iLiveBefore - 4, KxwTestNodeElement::Live()) << "A, B with its child, and C are gone";
    EXPECT_EQ(0u, _ptDocument->GetDisconnectedNodesListSize()) << "nothing a script could reach was parked";
}

TEST_F(KxwDomNodeTreeTest, PlaceHoldersStandForASplitElement) {
    KxwRecordingSink tSink;
    // BODY holds [PH1(B): "1"], X, [PH2(B): "2"], Y: element B is spread over two places.
    KxwTestNodeElement* ptBody = NewElement("BODY");
    KxwTestRecordingElement* ptSplit = NewRecordingElement("B");
    KxwTestNodeElement* ptX = NewElement("X");
    KxwTestNodeElement* ptY = NewElement("Y");
    _ptDocument->AppendChild(ptBody);
    auto* ptFirst = new (_ptMemMgr) KxwDomPlaceHolderNode(_ptDocument, _ptMemMgr, ptSplit);
    auto* ptSecond = new (_ptMemMgr) KxwDomPlaceHolderNode(_ptDocument, _ptMemMgr, ptSplit);
    KxwDomCoreTextNode* ptOne = NewText(u"1");
    KxwDomCoreTextNode* ptTwo = NewText(u"2");
    ptFirst->BasicAppendChild(ptOne);
    ptSecond->BasicAppendChild(ptTwo);
    for (KxwDomNodeBase* ptNode : std::initializer_list<KxwDomNodeBase*>{ptFirst, ptX, ptSecond, ptY})
        ptBody->BasicAppendChild(ptNode);
    EXPECT_EQ(0u, tSink.Count());

    EXPECT_TRUE(ptSplit->IsSplit());
    EXPECT_EQ(ptFirst, ptSplit->GetTreeNode());
    EXPECT_EQ(ptBody, ptSplit->GetParentNode());
    EXPECT_EQ(ptBody, ptSplit->GetDomParentNode());
    EXPECT_EQ(ptSplit, ptOne->GetDomParentNode());
    EXPECT_EQ(ptSplit, ptTwo->GetDomParentNode());
    EXPECT_EQ(ptSplit, ptBody->GetDomFirstChild());
    EXPECT_EQ(ptOne, ptSplit->GetDomFirstChild());
    EXPECT_EQ(ptTwo, ptSplit->GetDomLastChild());
    EXPECT_TRUE(ptSplit->HasChildNodes());
    EXPECT_EQ(ptY, ptSplit->GetDomNextSibling()) << "after the last place holder";
    EXPECT_EQ(ptTwo, ptX->GetDomNextSibling()) << "a later place holder is passed into its content";
    EXPECT_EQ(ptSplit, ptX->GetDomPreviousSibling()) << "a first place holder is its real node";
    EXPECT_EQ(ptSecond, ptSplit->GetTreeParentNodeOfChild(ptTwo));
    EXPECT_EQ(nullptr, ptBody->GetTreeParentNodeOfChild(ptTwo));
    EXPECT_TRUE(ptTwo->IsDescendantOf(ptSplit));
    EXPECT_EQ(1, ptFirst->GetIndexInPlaceHolderList());
    EXPECT_EQ(2, ptSecond->GetIndexInPlaceHolderList());
    EXPECT_EQ(ptSecond, ptFirst->GetLastPlaceHolder());
    EXPECT_TRUE(ptFirst->IsFirstPlaceHolderNode());
    EXPECT_FALSE(ptSecond->IsFirstPlaceHolderNode());
    EXPECT_EQ(KXW_DOM_COMMON_NODE_SUBTYPE_GENERIC_ELEMENT, ptSecond->GetNodeSubtype());
    SetGlobal("b", ptSplit);
    SetGlobal("x", ptX);
    EXPECT_EQ("1|2|BODY|B|Y|2", Eval("[b.firstChild.data, b.lastChild.data, b.parentNode.nodeName,"
                                     " b.firstChild.parentNode.nodeName, b.nextSibling.nodeName,"
                                     " x.nextSibling.data].join('|')"));
    EXPECT_EQ(0u, tSink.Count()) << "scripts never meet a place holder";

    // Appending to a split element fills its last place holder; the place holder passes the news to it.
    TakeLog();
    ptSplit->AppendChild(NewElement("NEW"));
    EXPECT_EQ(ptSecond, ptSplit->GetDomLastChild()->GetContainerNode());
    EXPECT_EQ((Lines{"This B 1 NEW", "After B 1 NEW"}), TakeLog());

    // A walk from the split element visits it once, then the content under each place holder in turn.
    KxwDomTraverseHierarchyCount tCount;
    EXPECT_EQ(4u, tCount.GetSubTreeNodeCount(ptSplit));

    // Removing it gathers its content under it and takes the place holders out of the tree.
    ASSERT_EQ(ptSplit, ptBody->RemoveChild(ptSplit));
    EXPECT_FALSE(ptSplit->IsSplit());
    EXPECT_EQ("'1','2',NEW", ChildTags(ptSplit));
    EXPECT_EQ("X,Y", ChildTags(ptBody));
    EXPECT_EQ(0u, tSink.Count());
}

TEST_F(KxwDomNodeTreeTest, MovingPartOfASplitElementSplitsItsChain) {
    KxwRecordingSink tSink;
    // BODY holds [PH1(B): "1"] and P, P holds [PH2(B): "2"] and "3". Removing P takes part of B with it.
    KxwTestNodeElement* ptBody = NewElement("BODY");
    KxwTestNodeElement* ptSplit = NewElement("B");
    KxwTestNodeElement* ptP = NewElement("P");
    _ptDocument->AppendChild(ptBody);
    auto* ptFirst = new (_ptMemMgr) KxwDomPlaceHolderNode(_ptDocument, _ptMemMgr, ptSplit);
    auto* ptSecond = new (_ptMemMgr) KxwDomPlaceHolderNode(_ptDocument, _ptMemMgr, ptSplit);
    ptFirst->BasicAppendChild(NewText(u"1"));
    ptSecond->BasicAppendChild(NewText(u"2"));
    ptBody->BasicAppendChild(ptFirst);
    ptBody->BasicAppendChild(ptP);
    ptP->BasicAppendChild(ptSecond);
    ptP->BasicAppendChild(NewText(u"3"));

    ASSERT_EQ(ptP, ptBody->RemoveChild(ptP));
    // B keeps the part that stays; the part that left belongs to a new element of the same kind.
    EXPECT_EQ("'1'", ChildTags(ptSplit));
    EXPECT_EQ(ptFirst, ptSplit->GetFirstPlaceHolder());
    EXPECT_EQ(nullptr, ptFirst->GetNextPlaceHolder());
    KxwDomNodeBase* ptClone = ptSecond->GetRealNode();
    ASSERT_NE(nullptr, ptClone);
    EXPECT_NE(ptSplit, ptClone);
    EXPECT_EQ("B'", KxwTestNotificationLog::Name(ptClone));
    EXPECT_EQ(ptP, ptClone->GetDomParentNode());
    EXPECT_EQ("'2'", ChildTags(ptClone));
    EXPECT_EQ("B','3'", ChildTags(ptP));
    EXPECT_EQ(0u, tSink.Count());

    // Deleting the content of the split element: the first place holder is emptied, later ones leave the tree.
    auto* ptThird = new (_ptMemMgr) KxwDomPlaceHolderNode(_ptDocument, _ptMemMgr, ptSplit);
    ptThird->BasicAppendChild(NewText(u"4"));
    ptBody->BasicAppendChild(ptThird);
    ptSplit->DeleteChildren(true);
    EXPECT_FALSE(ptSplit->HasChildNodes());
    EXPECT_EQ(nullptr, ptFirst->GetNextPlaceHolder());
    EXPECT_EQ("B", ChildTags(ptBody));
    EXPECT_EQ(0u, tSink.Count());
}

TEST_F(KxwDomNodeTreeTest, APlaceHolderChangesItsRealNode) {
    KxwRecordingSink tSink;
    KxwTestRecordingElement* ptBody = NewRecordingElement("BODY");
    KxwTestNodeElement* ptOld = NewElement("OLD");
    KxwTestNodeElement* ptNew = NewElement("NEW");
    _ptDocument->AppendChild(ptBody);
    auto* ptPlaceHolder = new (_ptMemMgr) KxwDomPlaceHolderNode(_ptDocument, _ptMemMgr, ptOld);
    ptPlaceHolder->BasicAppendChild(NewText(u"c"));
    ptBody->BasicAppendChild(ptPlaceHolder);
    EXPECT_EQ("OLD", ChildTags(ptBody));
    TakeLog();

    ptPlaceHolder->SetRealNode(ptNew);
    EXPECT_EQ((Lines{"This BODY 2 OLD", "After BODY 2 OLD", "This BODY 2 'c'", "After BODY 2 'c'", "This BODY 1 NEW",
                     "After BODY 1 NEW", "This BODY 1 'c'", "After BODY 1 'c'"}),
              TakeLog());
    EXPECT_EQ("NEW", ChildTags(ptBody));
    EXPECT_EQ("'c'", ChildTags(ptNew));
    EXPECT_EQ(ptBody, ptNew->GetDomParentNode());
    EXPECT_EQ(nullptr, ptOld->GetContainerNode());
    EXPECT_TRUE(ptOld->IsOnDisconnectedNodesList()) << "the old node left the tree";
    EXPECT_FALSE(ptNew->IsOnDisconnectedNodesList());
    EXPECT_EQ(0u, tSink.Count());

    // A real node that stands nowhere takes the first place holder made for it; one in the tree is refused.
    auto* ptStray = new (_ptMemMgr) KxwDomPlaceHolderNode(_ptDocument, _ptMemMgr, ptBody);
    EXPECT_TRUE(tSink.Saw("is linked into a tree in KxwDomPlaceHolderNode::AttachToRealNode"));
    EXPECT_EQ(nullptr, ptStray->GetRealNode());
    delete ptStray;
}

}  // namespace

namespace {

// A subtree move that runs into the script's time limit: the script ends, and the tree and its collections are as
// they were before the call, so that the next script finds a consistent page.
TEST_F(KxwDomNodeTreeTest, AMoveCutShortByTheTimeLimitLeavesTheTreeAsItWas) {
    constexpr unsigned kNodes = 60000;
    KxwTestNodeElement* ptBody = NewElement("BODY");
    KxwTestNodeElement* ptBig = NewElement("BIG");
    _ptDocument->AppendChild(ptBody);
    ptBody->AppendChild(NewElement("FIRST"));
    for (unsigned n = 0; n < kNodes; ++n) ptBig->AppendChild(NewElement(n % 2 ? "I" : "B"));
    SetGlobal("body", ptBody);
    SetGlobal("big", ptBig);
    SetGlobal("doc", _ptDocument);
    ASSERT_EQ("1|1|0", Eval("[body.all.length, doc.all.length - 1, body.getElementsByTagName('I').length].join('|')"));
    auto ExpectConsistent = [&](const char* mpszWhen) {
        const char* pszFault = nullptr;
        for (KxwDomHtmlCollectionGeneral* ptCollection :
             {static_cast<KxwDomHtmlCollectionGeneral*>(ptBody->GetAll()),
              static_cast<KxwDomHtmlCollectionGeneral*>(_ptDocument->GetAll()), ptBody->GetChildNodes()})
            EXPECT_TRUE(ptCollection->CheckItems(pszFault)) << mpszWhen << ": " << pszFault;
    };

    _ptEngine->SetScriptTimeLimitMs(1);
    EXPECT_NE(std::string::npos, Eval("body.appendChild(big); 'not reached'").find("ERROR"))
        << "the move was expected to outlast 1 ms";
    _ptEngine->SetScriptTimeLimitMs(10000);
    EXPECT_EQ(nullptr, ptBig->GetParentNode()) << "an addition taken back leaves the subtree detached";
    EXPECT_EQ("1|1|0|1", Eval("[body.all.length, doc.all.length - 1, body.getElementsByTagName('I').length, "
                              "body.childNodes.length].join('|')"));
    ExpectConsistent("after the addition taken back");

    // The same move with time enough, then a removal cut short: the subtree stays, filed as before.
    EXPECT_EQ(std::to_string(kNodes / 2), Eval("body.appendChild(big); body.getElementsByTagName('I').length"));
    _ptEngine->SetScriptTimeLimitMs(1);
    EXPECT_NE(std::string::npos, Eval("body.removeChild(big); 'not reached'").find("ERROR"));
    _ptEngine->SetScriptTimeLimitMs(10000);
    EXPECT_EQ(ptBody, ptBig->GetParentNode());
    EXPECT_EQ(std::to_string(kNodes + 2) + "|" + std::to_string(kNodes / 2) + "|BIG",
              Eval("[body.all.length, body.getElementsByTagName('I').length, body.lastChild.nodeName].join('|')"));
    ExpectConsistent("after the removal taken back");
    EXPECT_EQ("0", Eval("body.removeChild(big); body.getElementsByTagName('I').length"));
}

// Notifications passed by the nodes that want none are passed by for good only while that holds: a collection made
// deep in a chain, or a cut in it, is seen by the next change.
TEST_F(KxwDomNodeTreeTest, ChangesReachCollectionsMadeOrCutOnAQuietPath) {
    auto NewChain = [&](const char* mpszTop) {
        std::vector<KxwTestNodeElement*> tChain{NewElement(mpszTop)};
        _ptDocument->AppendChild(tChain.back());
        for (int n = 0; n < 300; ++n) {
            tChain.push_back(NewElement("D"));
            tChain[tChain.size() - 2]->AppendChild(tChain.back());
        }
        // Appended at the deep end while only the document listens: the path from there is remembered.
        for (int n = 0; n < 5; ++n) tChain.back()->AppendChild(NewElement("W"));
        return tChain;
    };
    SetGlobal("doc", _ptDocument);
    EXPECT_EQ("0", Eval("doc.all.length"));
    std::vector<KxwTestNodeElement*> tFirst = NewChain("FIRST");
    EXPECT_EQ("306", Eval("doc.all.length"));
    SetGlobal("mid", tFirst[150]);
    EXPECT_EQ("155", Eval("mid.all.length"));
    tFirst.back()->AppendChild(NewElement("NEW"));
    EXPECT_EQ("156|307", Eval("[mid.all.length, doc.all.length].join('|')"));

    // Cut from the document: what is added below the cut is not the document's.
    std::vector<KxwTestNodeElement*> tSecond = NewChain("SECOND");
    EXPECT_EQ("613", Eval("doc.all.length"));
    tSecond[100]->RemoveChild(tSecond[101]);
    EXPECT_EQ("408", Eval("doc.all.length"));
    tSecond.back()->AppendChild(NewElement("LATER"));
    EXPECT_EQ("408", Eval("doc.all.length"));
    tSecond[100]->AppendChild(tSecond[101]);
    EXPECT_EQ("614", Eval("doc.all.length"));
}

}  // namespace
