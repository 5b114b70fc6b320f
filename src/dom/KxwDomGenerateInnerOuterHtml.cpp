#include "KxwDomGenerateInnerOuterHtml.h"

#include "KxwDomCoreNode.h"
#include "KxwDomHtmlElement.h"
#include "KxwDomPlaceHolderNode.h"
#include "KxwUtilReport.h"

KxwDomGenerateInnerOuterHtml::KxwDomGenerateInnerOuterHtml(KxwDomHtmlElement* mptElement, bool mbOuter)
    : _tText(8192), _ptElement(mptElement), _bOuter(mbOuter) {}

void KxwDomGenerateInnerOuterHtml::Generate() {
    if (_ptElement) TraverseWithTwoVisits(_ptElement, 0);
}

bool KxwDomGenerateInnerOuterHtml::IsTop(KxwDomNodeBase* mptNode) const {
    return mptNode && mptNode->GetRealNode() == _ptElement;
}

KXW_DOM_TRAVERSE_HIERARCHY_ACTION_ENUM KxwDomGenerateInnerOuterHtml::Visit(KxwDomNodeBase* mptNode) {
    // Inner markup leaves out the element's own start tag; a comment's inner markup is the comment itself.
    if (!_bOuter && IsTop(mptNode) && mptNode->GetRealNode()->GetNodeType() != KXW_DOM_COMMON_NODE_TYPE_COMMENT)
        return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_CONTINUE;
    mptNode->AddDataToInnerOuterHtml(_tText);
    return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_CONTINUE;
}

KXW_DOM_TRAVERSE_HIERARCHY_ACTION_ENUM KxwDomGenerateInnerOuterHtml::VisitAfterDescendants(KxwDomNodeBase* mptNode) {
    if (mptNode->GetNodeType() == KXW_DOM_COMMON_NODE_TYPE_TEXT) return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_CONTINUE;
    KxwDomPlaceHolderNode* ptPlaceHolder =
        mptNode->IsPlaceHolder() ? static_cast<KxwDomPlaceHolderNode*>(mptNode) : nullptr;
    KxwDomHtmlElement* ptElement =
        KxwJswUserObjBase::ConvertToElement(ptPlaceHolder ? ptPlaceHolder->GetRealNode() : mptNode);
    if (!ptElement) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "ptHtmlElement==NULL in KxwDomGenerateInnerOuterHtml::VisitAfterDescendants");
        return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_CONTINUE;
    }
    if (ptElement != _ptElement) {
        // A split element ends after its last place holder.
        if (ptPlaceHolder && ptPlaceHolder->GetNextPlaceHolder()) return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_CONTINUE;
        ptElement->GenerateHtmlNonTextNodeInnerText(_tText);
        ptElement->GenerateHtmlClosingTag(_tText);
        return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_CONTINUE;
    }
    ptElement->GenerateHtmlNonTextNodeInnerText(_tText);
    if (_bOuter) ptElement->GenerateHtmlClosingTag(_tText);
    return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_STOP;
}

KXW_DOM_TRAVERSE_HIERARCHY_ACTION_ENUM KxwDomGenerateInnerOuterHtml::NotifyBetweenPlaceHolders(
    KxwDomPlaceHolderNode* mptCurrent, KxwDomPlaceHolderNode* mptNext) {
    // After the last place holder the element's own end tag follows; there is no element of another to close.
    if (!mptCurrent || !mptNext) return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_CONTINUE;
    // The content under the first place holder lay inside an element that the next one is outside of: that
    // element ends here, as the source ended it inside this one.
    KxwDomNodeBase* ptFirstSide = mptCurrent->GetDomParentNode();
    KxwDomNodeBase* ptSecondSide = mptNext->GetDomParentNode();
    while (ptFirstSide && ptSecondSide && ptFirstSide->GetRealNode() == ptSecondSide->GetRealNode()) {
        ptFirstSide = ptFirstSide->GetDomParentNode();
        ptSecondSide = ptSecondSide->GetDomParentNode();
    }
    if (KxwDomHtmlElement* ptClosed = ptFirstSide ? KxwJswUserObjBase::ConvertToElement(ptFirstSide) : nullptr)
        ptClosed->GenerateHtmlClosingTag(_tText);
    return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_CONTINUE;
}
