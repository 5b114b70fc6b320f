#include "KxwDomHtmlTestClasses.h"

#include <cstring>

#include "KxwDomStr.h"
#include "KxwUtilTagName.h"
#include "KxwiHtmlTokenizer.h"
#include "kxw/KxwDomHtmlBuild.h"
#include "kxw/KxwDomUtil.h"

namespace {

bool IsHeadTag(int miSubtype) {
    return miSubtype == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TITLE ||
           miSubtype == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_META ||
           miSubtype == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_BASE ||
           miSubtype == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_LINK ||
           miSubtype == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_STYLE ||
           miSubtype == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_SCRIPT;
}

// The elements the markup never gives content or an end tag.
bool IsVoidTag(int miSubtype) {
    switch (miSubtype) {
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_BASE:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_BASEFONT:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_FRAME:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_META:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_LINK:
            return true;
        default:
            return false;
    }
}

bool IsBlank(const char* mpsfText, size_t mnLen) {
    for (size_t n = 0; n < mnLen; ++n)
        if (mpsfText[n] != ' ' && mpsfText[n] != '\t' && mpsfText[n] != '\r' && mpsfText[n] != '\n') return false;
    return true;
}

class Builder : public KxwiHtmlTokenSink {
public:
    explicit Builder(KxwDomNodeBase* mptTarget) : _ptDocument(xfptKxwDomHtmlBuildGetDocumentOfNode(mptTarget)) {
        _bIntoDocument = xfiKxwDomHtmlBuildGetSubtype(mptTarget) == KXW_DOM_COMMON_NODE_SUBTYPE_DOCUMENT;
        if (!_bIntoDocument) {
            _tOpen.push_back(mptTarget);
            return;
        }
        _ptHtml = xfptKxwDomHtmlBuildGetDocumentElement(_ptDocument);
        if (!_ptHtml) {
            _ptHtml = xfptKxwDomHtmlBuildAllocElement(_ptDocument, "HTML", 4, false);
            xfbKxwDomHtmlBuildAppendChild(xfptKxwDomHtmlBuildDocumentAsNode(_ptDocument), _ptHtml);
        }
        _ptHead = xfptKxwDomHtmlBuildGetHead(_ptDocument);
        KxwDomNodeBase* ptBody = xfptKxwDomHtmlBuildGetHtmlBody(_ptDocument);
        if (!_ptHead && !ptBody) {
            _ptHead = xfptKxwDomHtmlBuildAllocElement(_ptDocument, "HEAD", 4, false);
            xfbKxwDomHtmlBuildAppendChild(_ptHtml, _ptHead);
        }
        _tOpen.push_back(_ptHtml);
        if (ptBody) _tOpen.push_back(ptBody);
    }

    void OnToken(KxwiHtmlTokenizer& mrtTokenizer, const KxwiHtmlToken& mrtToken) override {
        switch (mrtToken._eType) {
            case KXWI_HTML_TOKEN_TYPE_START_TAG:
                StartTag(mrtTokenizer, mrtToken);
                break;
            case KXWI_HTML_TOKEN_TYPE_END_TAG:
                EndTag(mrtToken);
                break;
            case KXWI_HTML_TOKEN_TYPE_TEXT:
                Text(mrtToken._psfText, mrtToken._nTextLen);
                break;
            case KXWI_HTML_TOKEN_TYPE_COMMENT: {
                KxwDomNodeBase* ptComment =
                    xfptKxwDomHtmlBuildNewCommentNode(_ptDocument, mrtToken._psfText, mrtToken._nTextLen);
                if (!xfbKxwDomHtmlBuildAppendChild(Current(), ptComment))
                    xfvKxwDomHtmlBuildDeleteUnlinkedNode(ptComment);
                break;
            }
            default:
                break;
        }
    }

private:
    KxwDomNodeBase* Current() const { return _tOpen.back(); }
    bool HasBody() const { return xfptKxwDomHtmlBuildGetHtmlBody(_ptDocument) != nullptr; }

    // The body, made when the document has none; the open elements start again from it.
    void EnsureBody() {
        if (!_bIntoDocument || HasBody()) {
            if (_bIntoDocument && _tOpen.size() == 1) _tOpen.push_back(xfptKxwDomHtmlBuildGetHtmlBody(_ptDocument));
            return;
        }
        KxwDomNodeBase* ptBody = xfptKxwDomHtmlBuildAllocElement(_ptDocument, "BODY", 4, false);
        xfbKxwDomHtmlBuildAppendChild(_ptHtml, ptBody);
        _tOpen.assign({_ptHtml, ptBody});
    }

    void StartTag(KxwiHtmlTokenizer& mrtTokenizer, const KxwiHtmlToken& mrtToken) {
        int iSubtype = xfiKxwDomHtmlBuildGetSubtypeByTagName(mrtToken._psfName, mrtToken._nNameLen);
        if (_bIntoDocument) {
            if (iSubtype == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_HTML) {
                // Attributes of the HTML tag go to the document element there is.
                for (size_t n = 0; n < mrtToken._nAttrCount; ++n) {
                    const KxwiHtmlAttr& rtAttr = mrtToken._ptAttrs[n];
                    xfbKxwDomHtmlBuildSetAttribute(_ptHtml, rtAttr._psfName, rtAttr._nNameLen, rtAttr._psfValue,
                                                   rtAttr._nValueLen, rtAttr._bHasValue);
                }
                return;
            }
            if (iSubtype == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_HEAD && _ptHead) return;
            if (iSubtype == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_BODY && HasBody()) return;
        }
        KxwDomNodeBase* ptParent = Current();
        if (_bIntoDocument && iSubtype != KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_BODY) {
            if (IsHeadTag(iSubtype) && !HasBody() && _ptHead)
                ptParent = _ptHead;
            else {
                EnsureBody();
                ptParent = Current();
            }
        }
        KxwDomNodeBase* ptElement =
            xfptKxwDomHtmlBuildAllocElement(_ptDocument, mrtToken._psfUpperName, mrtToken._nNameLen, false);
        if (!ptElement) return;
        for (size_t n = 0; n < mrtToken._nAttrCount; ++n) {
            const KxwiHtmlAttr& rtAttr = mrtToken._ptAttrs[n];
            xfbKxwDomHtmlBuildSetAttribute(ptElement, rtAttr._psfName, rtAttr._nNameLen, rtAttr._psfValue,
                                           rtAttr._nValueLen, rtAttr._bHasValue);
        }
        bool bScript = iSubtype == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_SCRIPT;
        if (bScript) xfvKxwDomHtmlBuildSetScriptClosingTagMissing(ptElement, true);
        if (!xfbKxwDomHtmlBuildAppendChild(ptParent, ptElement)) {
            xfvKxwDomHtmlBuildDeleteUnlinkedNode(ptElement);
            return;
        }
        if (iSubtype == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_BODY) _tOpen.assign({_ptHtml, ptElement});
        if (xfbKxwDomHtmlBuildCanHaveChildren(ptElement) && !IsVoidTag(iSubtype) && !mrtToken._bSelfClosing) {
            if (iSubtype != KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_BODY) _tOpen.push_back(ptElement);
            mrtTokenizer.SetRawTextMode(mrtToken._psfName, mrtToken._nNameLen);
        } else if (bScript) {
            xfvKxwDomHtmlBuildSetScriptClosingTagMissing(ptElement, false);
        }
    }

    void EndTag(const KxwiHtmlToken& mrtToken) {
        int iSubtype = xfiKxwDomHtmlBuildGetSubtypeByTagName(mrtToken._psfName, mrtToken._nNameLen);
        if (iSubtype == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_BODY ||
            iSubtype == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_HTML)
            return;
        // Closes the nearest open element of that tag, with whatever is open inside it; the root stays open.
        for (size_t n = _tOpen.size(); n > 1; --n) {
            if (xfiKxwDomHtmlBuildGetSubtype(_tOpen[n - 1]) != iSubtype) continue;
            if (iSubtype == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_SCRIPT)
                xfvKxwDomHtmlBuildSetScriptClosingTagMissing(_tOpen[n - 1], false);
            _tOpen.resize(n - 1);
            return;
        }
    }

    void Text(const char* mpsfText, size_t mnLen) {
        if (_bIntoDocument && !HasBody() && Current() == _ptHtml) {
            if (IsBlank(mpsfText, mnLen)) return;
            EnsureBody();
        }
        if (_bIntoDocument && _tOpen.size() == 1) EnsureBody();
        xfbKxwDomHtmlBuildAddText(Current(), mpsfText, mnLen);
    }

    KxwDomHtmlDocument* _ptDocument;
    bool _bIntoDocument = false;
    KxwDomNodeBase* _ptHtml = nullptr;
    KxwDomNodeBase* _ptHead = nullptr;
    std::vector<KxwDomNodeBase*> _tOpen;
};

}  // namespace

void KxwTestPageBuilder::Build(KxwDomNodeBase* mptTarget, const std::string& mdsHtml) {
    if (!mptTarget) return;
    Builder tBuilder(mptTarget);
    KxwiHtmlTokenizer tTokenizer(&tBuilder);
    tTokenizer.Feed(mdsHtml.data(), mdsHtml.size());
    tTokenizer.EndOfInput();
}

// ---------------------------------------------------------------------------------------------------------------

KxwTestNotificationRecorder*& KxwTestNotificationRecorder::Current() {
    static thread_local KxwTestNotificationRecorder* tptCurrent = nullptr;
    return tptCurrent;
}

KxwTestNotificationRecorder::KxwTestNotificationRecorder(bool mbParse) : _bParse(mbParse) {
    _ptBinding = std::make_unique<KxwVUserVarsThreadBinding>(&_tVUserVars);
    _ptObjMgr = std::make_unique<KxwObjMgr>(&_tVUserVars);
    _ptObjMgr->SetNotificationCallback(&Receive);
    _ptPrevious = Current();
    Current() = this;
}

KxwTestNotificationRecorder::~KxwTestNotificationRecorder() {
    Current() = _ptPrevious;
    _ptObjMgr->Cleanup();
    _ptObjMgr.reset();
    _ptBinding.reset();
}

std::vector<std::string> KxwTestNotificationRecorder::Texts(KXW_DOM_COMMON_NOTIFICATION_ENUM meType) const {
    std::vector<std::string> tTexts;
    for (const Notification& rtNotification : _tNotifications)
        if (rtNotification._eType == meType) tTexts.push_back(rtNotification._dsText);
    return tTexts;
}

void KxwTestNotificationRecorder::Receive(KXW_DOM_COMMON_NOTIFICATION_ENUM meType, void* mpvSubject, void* mpvObject) {
    KxwTestNotificationRecorder* ptThis = Current();
    if (!ptThis) return;
    Notification tNotification{meType, mpvSubject, std::string()};
    bool bText = meType == KXW_DOM_COMMON_NOTIFICATION_ENUM_HTML_TEXT ||
                 meType == KXW_DOM_COMMON_NOTIFICATION_ENUM_INNER_HTML ||
                 meType == KXW_DOM_COMMON_NOTIFICATION_ENUM_SET_COOKIE;
    if (bText && mpvObject) {
        size_t nLen = 0;
        const char* psfText = xfpsfKxwDomHtmlBuildGetNotificationText(mpvObject, &nLen);
        tNotification._dsText.assign(psfText ? psfText : "", nLen);
    }
    ptThis->_tNotifications.push_back(tNotification);
    if (meType == KXW_DOM_COMMON_NOTIFICATION_ENUM_GET_COOKIE) {
        auto* ptDocument = static_cast<KxwDomHtmlDocument*>(mpvSubject);
        ptDocument->SetCookie(ptThis->_dsCookie.data(), static_cast<unsigned>(ptThis->_dsCookie.size()));
    }
    if (ptThis->_bParse && (meType == KXW_DOM_COMMON_NOTIFICATION_ENUM_HTML_TEXT ||
                            meType == KXW_DOM_COMMON_NOTIFICATION_ENUM_INNER_HTML)) {
        std::string dsText = tNotification._dsText;
        KxwTestPageBuilder::Build(xfptKxwDomHtmlBuildGetNotificationNode(meType, mpvSubject), dsText);
    }
}

// ---------------------------------------------------------------------------------------------------------------

void KxwDomHtmlTest::SetUp() {
    KxwDomScriptTest::SetUp();
    _ptMemMgr = new KxwMemMgrGeneric(&_tBlkMgr);
    _ptDocument = new (_ptMemMgr) KxwDomHtmlDocument(_ptMemMgr);
    _ptDocument->SetHrefDcs("http://www.example.com/dir/page.html", 36);
    _ptRecorder = new KxwTestNotificationRecorder(true);
    SetGlobalDocument(_ptDocument);
}

void KxwDomHtmlTest::TearDown() {
    delete _ptRecorder;
    _ptRecorder = nullptr;
    // Documents go before the engine; what they parked goes with them.
    SetGlobalDocument(nullptr);
    delete _ptDocument;
    _ptDocument = nullptr;
    KxwDomScriptTest::TearDown();
    EXPECT_EQ(0u, _ptMemMgr->GetLiveBlockCount()) << "blocks of the memory manager were not returned";
    delete _ptMemMgr;
}

void KxwDomHtmlTest::BuildPage(const std::string& mdsHtml) {
    _ptDocument->NotifyHtmlParsing(true);
    KxwTestPageBuilder::Build(_ptDocument, mdsHtml);
    _ptDocument->NotifyHtmlParsing(false);
}

KxwDomHtmlElement* KxwDomHtmlTest::NewElement(const char* mpszTag, KxwDomHtmlDocument* mptDocument) {
    KxwUtilTagName tTagName(mpszTag, std::strlen(mpszTag));
    return KxwDomHtmlElement::AllocElement(tTagName, mptDocument ? mptDocument : _ptDocument, false);
}

KxwDomHtmlElement* KxwDomHtmlTest::ById(const char* mpszId) {
    std::u16string dsId(mpszId, mpszId + std::strlen(mpszId));
    return _ptDocument->GetElementById(dsId.data(), static_cast<unsigned>(dsId.size()));
}
