// The engine's side of events: user actions of test steps, the elements they choose from, and links to follow.
#include <cstring>

#include "KxwDomBindingUtil.h"
#include "KxwDomEventData.h"
#include "KxwDomEventTarget.h"
#include "KxwDomHtmlCollection.h"
#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlElement.h"
#include "KxwDomHtmlElementAreaAnchor.h"
#include "KxwDomHtmlElementImage.h"
#include "KxwDomHtmlWindow.h"
#include "KxwUtilUtf.h"
#include "kxw/KxwDomEvents.h"

namespace {

KxwDomHtmlElement* Element(KxwDomNodeBase* mptNode) {
    return mptNode ? mptNode->DownCastToElement() : nullptr;
}

}  // namespace

namespace {

bool FireUserEvent(KxwDomNodeBase* mptNode, const char* mpszEventName, const int* mpiXY, std::string* mpdsReason) {
    KxwDomEventTarget* ptTarget = mptNode ? mptNode->DownCastToEventTarget() : nullptr;
    std::string dsName = mpszEventName ? mpszEventName : "";
    if (dsName.size() > 2 && (dsName[0] | 0x20) == 'o' && (dsName[1] | 0x20) == 'n') dsName.erase(0, 2);
    KXW_DOM_EVENT_TYPE_ENUM eType = KxwDomEventTarget::GetEventEnum(dsName.c_str());
    if (!ptTarget || eType == KXW_DOM_EVENT_TYPE_ENUM_NONE) {
        if (mpdsReason) *mpdsReason = ptTarget ? "no event is named \"" + dsName + "\"" : "no element";
        return false;
    }
    if (!ptTarget->CanRespondToEvent(eType)) {
        if (mpdsReason) *mpdsReason = std::string(ptTarget->GetNodeTypeAsAscStr()) + " does not answer " + dsName;
        return false;
    }
    KxwDomEventData tData(ptTarget);
    if (mpiXY) {
        tData.SetPosition(mpiXY[0], mpiXY[1]);
        tData.SetOffset(mpiXY[0], mpiXY[1]);
    }
    ptTarget->OnUserEvent(eType, &tData);
    return true;
}

}  // namespace

bool xfbKxwDomFireUserEvent(KxwDomNodeBase* mptNode, const char* mpszEventName, std::string* mpdsReason) {
    return FireUserEvent(mptNode, mpszEventName, nullptr, mpdsReason);
}

bool xfbKxwDomFireUserEventAt(KxwDomNodeBase* mptNode, const char* mpszEventName, int miX, int miY,
                              std::string* mpdsReason) {
    const int aiXY[2] = {miX < 0 ? 0 : miX, miY < 0 ? 0 : miY};
    return FireUserEvent(mptNode, mpszEventName, aiXY, mpdsReason);
}

unsigned long xfulKxwDomDocumentGetElementCount(KxwDomHtmlDocument* mptDocument) {
    KxwDomHtmlCollectionGeneral* ptAll = mptDocument ? mptDocument->GetAll() : nullptr;
    return ptAll ? ptAll->GetLength() : 0;
}

KxwDomNodeBase* xfptKxwDomDocumentGetElement(KxwDomHtmlDocument* mptDocument, unsigned long mulIndex) {
    KxwDomHtmlCollectionGeneral* ptAll = mptDocument ? mptDocument->GetAll() : nullptr;
    return ptAll && mulIndex < ptAll->GetLength() ? ptAll->GetItem(mulIndex) : nullptr;
}

std::string xfdsKxwDomElementGetTagName(KxwDomNodeBase* mptNode) {
    KxwDomHtmlElement* ptElement = Element(mptNode);
    const char* pszTag = ptElement ? ptElement->GetTagNameDcsStr() : nullptr;
    std::string dsTag = pszTag ? std::string(pszTag, ptElement->GetTagNameDcsLenInBytes()) : std::string();
    for (char& rc : dsTag)
        if (rc >= 'a' && rc <= 'z') rc = static_cast<char>(rc - 32);
    return dsTag;
}

std::string xfdsKxwDomElementGetId(KxwDomNodeBase* mptNode) {
    return mptNode ? xfdsKxwDomUtilPropertyToUtf8(mptNode->GetId()) : std::string();
}

std::string xfdsKxwDomElementGetName(KxwDomNodeBase* mptNode) {
    return mptNode ? xfdsKxwDomUtilPropertyToUtf8(mptNode->GetName()) : std::string();
}

std::string xfdsKxwDomElementGetInnerText(KxwDomNodeBase* mptNode) {
    KxwDomHtmlElement* ptElement = Element(mptNode);
    if (!ptElement) return std::string();
    std::u16string dsText = ptElement->GetInnerText();
    return xfdsKxwUtilU16ToUtf8(dsText.data(), dsText.size());
}

bool xfbKxwDomElementIsLink(KxwDomNodeBase* mptNode) {
    auto* ptLink = dynamic_cast<KxwDomHtmlElementAnchor*>(mptNode);
    return ptLink && ptLink->IsHrefSet();
}

std::string xfdsKxwDomLinkGetHref(KxwDomNodeBase* mptLink) {
    if (auto* ptStyleSheetLink = dynamic_cast<KxwDomHtmlElementLink*>(mptLink))
        return xfdsKxwDomUtilPropertyToUtf8(ptStyleSheetLink->GetAbsoluteHref());
    auto* ptLink = dynamic_cast<KxwDomHtmlElementAreaAnchorBase*>(mptLink);
    return ptLink ? ptLink->GetResolvedHref() : std::string();
}

std::string xfdsKxwDomLinkGetTarget(KxwDomNodeBase* mptLink) {
    auto* ptLink = dynamic_cast<KxwDomHtmlElementAreaAnchorBase*>(mptLink);
    return ptLink ? xfdsKxwDomUtilPropertyToUtf8(ptLink->GetTarget()) : std::string();
}

KxwDomNodeBase* xfptKxwDomImageGetContainingAnchor(KxwDomNodeBase* mptImage) {
    auto* ptImage = dynamic_cast<KxwDomHtmlElementImage*>(mptImage);
    return ptImage ? ptImage->GetContainingAnchor() : nullptr;
}

KxwDomHtmlWindow* xfptKxwDomWindowOpenForLink(KxwDomHtmlWindow* mptWindow, const std::string& mdsUrl,
                                              const std::string& mdsName) {
    if (!mptWindow || mdsUrl.empty()) return nullptr;
    return mptWindow->OpenWindowOrDefer(mdsUrl.data(), static_cast<unsigned>(mdsUrl.size()), mdsName.data(),
                                        static_cast<unsigned>(mdsName.size()));
}
