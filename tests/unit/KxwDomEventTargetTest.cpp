// Event dispatch below what pages reach: the names of handlers, the order of listeners and what happens to the
// ones a handler detaches, the end of a dispatch whose target left its tree, a second handler attribute, event
// objects lent by the document, and the coordinates of an image click.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "KxwDomCoreEvent.h"
#include "KxwDomEventData.h"
#include "KxwDomEventTarget.h"
#include "KxwDomHtmlEvent.h"
#include "KxwDomHtmlTestClasses.h"
#include "KxwRecordingSink.h"

namespace {

using KxwDomEventTargetTest = KxwDomHtmlTest;

// A listener that records its runs instead of calling a script, and may act on its target while it runs.
class KxwTestRecordingListener : public KxwDomEventListener {
public:
    KxwTestRecordingListener(KxwDomEventTarget* mptTarget, KXW_DOM_EVENT_LISTENER_TYPE_ENUM meListenerType,
                             KXW_DOM_EVENT_TYPE_ENUM meEventType, std::vector<std::string>* mptLog,
                             const char* mpszName)
        : KxwDomEventListener(mptTarget->GetDomEnv(), mptTarget, meListenerType, meEventType, u"", 0),
          _ptLog(mptLog),
          _dsName(mpszName) {}
    void HandleEvent(KxwDomCoreEvent* mptEvent) override {
        _ptLog->push_back(_dsName);
        if (_bRefuse) mptEvent->SetReturnValue(false);
        if (_pfAction) _pfAction(GetCurrentTarget());
    }
    std::vector<std::string>* _ptLog;
    std::string _dsName;
    bool _bRefuse = false;
    void (*_pfAction)(KxwDomEventTarget* mptTarget) = nullptr;
};

KxwTestRecordingListener* AddRecorder(KxwDomEventTarget* mptTarget, KXW_DOM_EVENT_LISTENER_TYPE_ENUM meType,
                                      std::vector<std::string>* mptLog, const char* mpszName,
                                      KXW_DOM_EVENT_TYPE_ENUM meEventType = KXW_DOM_EVENT_TYPE_ENUM_CLICK) {
    auto* ptListener =
        new (mptTarget->GetDomEnv()) KxwTestRecordingListener(mptTarget, meType, meEventType, mptLog, mpszName);
    EXPECT_TRUE(mptTarget->AddEventListener(ptListener));
    return ptListener;
}

std::string Joined(const std::vector<std::string>& mrtLog) {
    std::string dsJoined;
    for (const std::string& rdsEntry : mrtLog) dsJoined += (dsJoined.empty() ? "" : ",") + rdsEntry;
    return dsJoined;
}

TEST_F(KxwDomEventTargetTest, HandlerNamesNeedTheirOnAndTinyIdsMapToEvents) {
    KxwDomHtmlElement* ptElement = NewElement("div");
    EXPECT_EQ(KXW_DOM_EVENT_TYPE_ENUM_CLICK, KxwDomEventTarget::GetEventEnum("click"));
    EXPECT_EQ(KXW_DOM_EVENT_TYPE_ENUM_READYSTATECHANGE, KxwDomEventTarget::GetEventEnum("READYSTATECHANGE"));
    EXPECT_EQ(KXW_DOM_EVENT_TYPE_ENUM_CLICK, ptElement->GetEventEnum("test", "onClick", 7, false));
    EXPECT_EQ(KXW_DOM_EVENT_TYPE_ENUM_NONE, ptElement->GetEventEnum("test", "click", 5, false));
    EXPECT_EQ(KXW_DOM_EVENT_TYPE_ENUM_NONE, ptElement->GetEventEnum("test", "on", 2, false));
    EXPECT_EQ(KXW_DOM_EVENT_TYPE_ENUM_NONE, ptElement->GetEventEnum("test", "onclick\0x", 9, false));
    EXPECT_EQ(KXW_DOM_EVENT_TYPE_ENUM_ABORT, KxwDomEventTarget::GetEventTypeFromTinyId(-118));
    EXPECT_EQ(KXW_DOM_EVENT_TYPE_ENUM_UNLOAD, KxwDomEventTarget::GetEventTypeFromTinyId(-40));
    KxwRecordingSink tSink;
    EXPECT_EQ(80, static_cast<int>(KxwDomEventTarget::GetEventTypeFromTinyId(-39)));
    EXPECT_TRUE(tSink.Saw("Unrecorgnized msiPropIndex(-39)"));
    delete ptElement;
}

TEST_F(KxwDomEventTargetTest, TheRegularListenerRunsFirstThenTheAttachedOnesNewestFirstThenTheParents) {
    BuildPage("<div id=outer><span id=inner>x</span></div>");
    KxwDomHtmlElement* ptInner = ById("inner");
    KxwDomHtmlElement* ptOuter = ById("outer");
    std::vector<std::string> tLog;
    AddRecorder(ptInner, KXW_DOM_EVENT_LISTENER_TYPE_ATTACHED, &tLog, "attached first");
    AddRecorder(ptInner, KXW_DOM_EVENT_LISTENER_TYPE_HTML_ATTRIBUTE, &tLog, "attribute");
    AddRecorder(ptInner, KXW_DOM_EVENT_LISTENER_TYPE_ATTACHED, &tLog, "attached second");
    AddRecorder(ptOuter, KXW_DOM_EVENT_LISTENER_TYPE_SCRIPT_PROPERTY, &tLog, "outer");
    // A property handler takes the place of the attribute's.
    AddRecorder(ptInner, KXW_DOM_EVENT_LISTENER_TYPE_SCRIPT_PROPERTY, &tLog, "property");
    EXPECT_EQ(KXW_DOM_HANDLE_EVENT_RET_VAL_CONTINUE,
              ptInner->FireEvent(KXW_DOM_EVENT_TYPE_ENUM_CLICK, nullptr, FIRE_EVENT_ACTIVATE_ALL, nullptr));
    EXPECT_EQ("property,attached second,attached first,outer", Joined(tLog));
    // Focus stays at its target.
    tLog.clear();
    AddRecorder(ptOuter, KXW_DOM_EVENT_LISTENER_TYPE_SCRIPT_PROPERTY, &tLog, "outer focus",
                KXW_DOM_EVENT_TYPE_ENUM_FOCUS);
    AddRecorder(ptInner, KXW_DOM_EVENT_LISTENER_TYPE_SCRIPT_PROPERTY, &tLog, "inner focus",
                KXW_DOM_EVENT_TYPE_ENUM_FOCUS);
    ptInner->FireEvent(KXW_DOM_EVENT_TYPE_ENUM_FOCUS, nullptr, FIRE_EVENT_ACTIVATE_ALL, nullptr);
    EXPECT_EQ("inner focus", Joined(tLog));
    EXPECT_EQ(ptInner, _ptDocument->GetActiveElement());
}

TEST_F(KxwDomEventTargetTest, ListenersRemovedByAHandlerAreDeletedWhenTheDispatchEnds) {
    BuildPage("<div id=outer><span id=inner>x</span></div>");
    KxwDomHtmlElement* ptInner = ById("inner");
    std::vector<std::string> tLog;
    AddRecorder(ptInner, KXW_DOM_EVENT_LISTENER_TYPE_ATTACHED, &tLog, "never");
    KxwTestRecordingListener* ptClearing =
        AddRecorder(ptInner, KXW_DOM_EVENT_LISTENER_TYPE_ATTACHED, &tLog, "clearing");
    ptClearing->_pfAction = [](KxwDomEventTarget* mptTarget) { mptTarget->RemoveAllListeners(); };
    ptInner->FireEvent(KXW_DOM_EVENT_TYPE_ENUM_CLICK, nullptr, FIRE_EVENT_ACTIVATE_ALL, nullptr);
    // The listener that cleared the list was itself among those it removed; the other one no longer ran.
    EXPECT_EQ("clearing", Joined(tLog));
    EXPECT_EQ(nullptr, ptInner->GetEventListener(KXW_DOM_EVENT_TYPE_ENUM_CLICK, true));
    tLog.clear();
    ptInner->FireEvent(KXW_DOM_EVENT_TYPE_ENUM_CLICK, nullptr, FIRE_EVENT_ACTIVATE_ALL, nullptr);
    EXPECT_EQ("", Joined(tLog));
}

TEST_F(KxwDomEventTargetTest, AHandlerThatRemovesItsLinkEndsTheDispatchAndTheLinkIsNotFollowed) {
    BuildPage("<div id=outer><a id=link href='next.html'>go</a><a id=kept href='kept.html'>kept</a></div>");
    KxwDomHtmlElement* ptLink = ById("link");
    KxwDomHtmlElement* ptKept = ById("kept");
    // A script holds the link: removing it only parks it, and no deletion tells the dispatch.
    SetGlobal("link", ptLink);
    std::vector<std::string> tLog;
    KxwTestRecordingListener* ptRemoving =
        AddRecorder(ptLink, KXW_DOM_EVENT_LISTENER_TYPE_HTML_ATTRIBUTE, &tLog, "remove");
    ptRemoving->_pfAction = [](KxwDomEventTarget* mptTarget) { mptTarget->GetDomParentNode()->RemoveChild(mptTarget); };
    AddRecorder(ptLink, KXW_DOM_EVENT_LISTENER_TYPE_ATTACHED, &tLog, "attached");
    AddRecorder(ById("outer"), KXW_DOM_EVENT_LISTENER_TYPE_HTML_ATTRIBUTE, &tLog, "outer");
    size_t nBefore = _ptRecorder->_tNotifications.size();
    EXPECT_EQ(KXW_DOM_HANDLE_EVENT_RET_VAL_PREVENT_DEFAULT,
              ptLink->FireEvent(KXW_DOM_EVENT_TYPE_ENUM_CLICK, nullptr, FIRE_EVENT_ACTIVATE_ALL, nullptr));
    EXPECT_EQ("remove", Joined(tLog));
    EXPECT_EQ("false", Eval("link.parentNode != null"));
    for (size_t n = nBefore; n < _ptRecorder->_tNotifications.size(); ++n)
        EXPECT_NE(KXW_DOM_COMMON_NOTIFICATION_ENUM_LINK_CLICK, _ptRecorder->_tNotifications[n]._eType);
    // A link that stays is followed (notification 10), and one whose handler refused is not.
    tLog.clear();
    nBefore = _ptRecorder->_tNotifications.size();
    ptKept->FireEvent(KXW_DOM_EVENT_TYPE_ENUM_CLICK, nullptr, FIRE_EVENT_ACTIVATE_ALL, nullptr);
    ASSERT_EQ(nBefore + 1, _ptRecorder->_tNotifications.size());
    EXPECT_EQ(KXW_DOM_COMMON_NOTIFICATION_ENUM_LINK_CLICK, _ptRecorder->_tNotifications.back()._eType);
    EXPECT_EQ(static_cast<void*>(ptKept), _ptRecorder->_tNotifications.back()._pvSubject);
    AddRecorder(ptKept, KXW_DOM_EVENT_LISTENER_TYPE_HTML_ATTRIBUTE, &tLog, "refusing")->_bRefuse = true;
    EXPECT_EQ(KXW_DOM_HANDLE_EVENT_RET_VAL_PREVENT_DEFAULT,
              ptKept->FireEvent(KXW_DOM_EVENT_TYPE_ENUM_CLICK, nullptr, FIRE_EVENT_ACTIVATE_ALL, nullptr));
    EXPECT_EQ(nBefore + 1, _ptRecorder->_tNotifications.size());
}

TEST_F(KxwDomEventTargetTest, ASecondHandlerAttributeIsIgnoredAndAnUnknownEventIsRefused) {
    KxwRecordingSink tSink;
    KxwDomHtmlElement* ptElement = NewElement("div");
    ptElement->AddParsedAttr("onclick", "first()");
    ptElement->AddParsedAttr("ONCLICK", "second()");
    KxwDomEventListener* ptListener = ptElement->GetEventListener(KXW_DOM_EVENT_TYPE_ENUM_CLICK, false);
    ASSERT_NE(nullptr, ptListener);
    EXPECT_EQ(std::u16string(u"first()"),
              std::u16string(ptListener->GetCode().GetU16nStr(), ptListener->GetCode().GetU16nLenInChars()));
    EXPECT_EQ(nullptr, ptListener->GetNextListener());
    bool bIgnored = false;
    for (const KxwRecordingSink::Message& rtMessage : tSink.Messages()) bIgnored |= rtMessage._iMsgId == -35985;
    EXPECT_TRUE(bIgnored);
    // A DIV has no load to answer: firing it is refused, its attribute makes no listener.
    ptElement->AddParsedAttr("onload", "x()");
    EXPECT_EQ(nullptr, ptElement->GetEventListener(KXW_DOM_EVENT_TYPE_ENUM_LOAD, true));
    EXPECT_EQ(KXW_DOM_HANDLE_EVENT_RET_VAL_ERROR,
              ptElement->FireEvent(KXW_DOM_EVENT_TYPE_ENUM_LOAD, nullptr, FIRE_EVENT_ACTIVATE_ALL, nullptr));
    delete ptElement;
}

TEST_F(KxwDomEventTargetTest, TheDocumentLendsEventObjectsAgainUnlessAScriptSawThem) {
    KxwDomHtmlElement* ptElement = NewElement("div");
    KxwDomHtmlEvent* ptFirst = _ptDocument->ObtainEventObject(ptElement, KXW_DOM_EVENT_TYPE_ENUM_CLICK, nullptr);
    EXPECT_FALSE(ptFirst->GetCancelBubble());
    ptFirst->SetReturnValue(false);
    _ptDocument->ReleaseEventObject(ptFirst);
    KxwDomHtmlEvent* ptAgain = _ptDocument->ObtainEventObject(ptElement, KXW_DOM_EVENT_TYPE_ENUM_FOCUS, nullptr);
    EXPECT_EQ(ptFirst, ptAgain);
    EXPECT_TRUE(ptAgain->GetReturnValue());
    EXPECT_TRUE(ptAgain->GetCancelBubble());
    EXPECT_EQ(ptElement, ptAgain->GetSrcElement());
    // A script keeps what it saw: that object is not handed out again.
    SetGlobal("e", ptAgain);
    EXPECT_EQ("focus", Eval("e.type"));
    _ptDocument->ReleaseEventObject(ptAgain);
    KxwDomHtmlEvent* ptOther = _ptDocument->ObtainEventObject(ptElement, KXW_DOM_EVENT_TYPE_ENUM_CLICK, nullptr);
    EXPECT_NE(ptAgain, ptOther);
    _ptDocument->ReleaseEventObject(ptOther);
    // The source element going is seen by the event, never reached through it.
    delete ptElement;
    EXPECT_EQ("null", Eval("String(e.srcElement)"));
}

TEST_F(KxwDomEventTargetTest, AnImageClickTakesItsCoordinatesFromThePairAndABadPairIsReported) {
    KxwDomHtmlElement* ptElement = NewElement("img");
    KxwDomEventData tData(ptElement);
    tData.SetMapImageCoordinates("12, 34");
    KxwDomHtmlEvent tEvent(ptElement->GetDomEnv(), ptElement, KXW_DOM_EVENT_TYPE_ENUM_CLICK, &tData);
    EXPECT_EQ(12, tEvent.GetX());
    EXPECT_EQ(34, tEvent.GetOffsetY());
    KxwRecordingSink tSink;
    for (const char* pszBad : {"12", "1,2,3", "x,1", "99999999999,1"}) {
        tData.SetMapImageCoordinates(pszBad);
        tEvent.SetEventData(&tData);
        EXPECT_EQ(1, tEvent.GetX()) << pszBad;
    }
    EXPECT_TRUE(tSink.Saw("Invalid pszCoordinatePairStr=\"1,2,3\""));
    // Without data, a click is at 1,1 with no key and reports no button (pages tell a left click by a button
    // below 1); a press is of the first button.
    tEvent.SetEventData(nullptr);
    EXPECT_EQ(1, tEvent.GetX());
    EXPECT_EQ(0, tEvent.GetButton());
    EXPECT_EQ(0, tEvent.GetKeyCode());
    tEvent.Reset(ptElement, KXW_DOM_EVENT_TYPE_ENUM_MOUSEDOWN);
    EXPECT_EQ(1, tEvent.GetButton());
    tEvent.Reset(ptElement, KXW_DOM_EVENT_TYPE_ENUM_DBLCLICK);
    EXPECT_EQ(0, tEvent.GetButton());
    delete ptElement;
}

}  // namespace
