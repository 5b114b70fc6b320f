#include "KxwXmlDomTree.h"

#include <libxml/valid.h>

#include "KxwXmlDomUtil.h"

KxwXmlDomTree::KxwXmlDomTree(xmlDoc* mptDoc) : _ptDoc(mptDoc) {}

KxwXmlDomTree::~KxwXmlDomTree() {
    // The detached nodes first: freeing them reads the document's dictionary and ID table.
    for (xmlNode* ptNode : _tDetached) xmlFreeNode(ptNode);
    _tDetached.clear();
    xmlFreeDoc(_ptDoc);
}

void KxwXmlDomTree::AdoptDetached(xmlNode* mptNode) {
    if (mptNode && !mptNode->parent) _tDetached.insert(mptNode);
}

void KxwXmlDomTree::Remove(xmlNode* mptNode) {
    if (!mptNode || !mptNode->parent) return;
    if (mptNode->type == XML_ATTRIBUTE_NODE) {
        auto* ptAttr = reinterpret_cast<xmlAttr*>(mptNode);
        // A removed attribute no longer names its element by ID.
        if (ptAttr->atype == XML_ATTRIBUTE_ID) {
            xmlRemoveID(_ptDoc, ptAttr);
            ptAttr->atype = static_cast<xmlAttributeType>(0);
        }
    }
    xmlUnlinkNode(mptNode);
    _tDetached.insert(mptNode);
    Touch();
}

void KxwXmlDomTree::Discard(xmlNode* mptNode) {
    if (!mptNode) return;
    Remove(mptNode);
    if (!IsUnreferenced(mptNode)) return;
    _tDetached.erase(mptNode);
    xmlFreeNode(mptNode);
}

void KxwXmlDomTree::Insert(xmlNode* mptParent, xmlNode* mptChild, xmlNode* mptBefore) {
    if (!mptParent || !mptChild || mptChild == mptBefore) return;
    Remove(mptChild);
    _tDetached.erase(mptChild);
    mptChild->parent = mptParent;
    if (mptBefore && mptBefore->parent == mptParent) {
        mptChild->next = mptBefore;
        mptChild->prev = mptBefore->prev;
        if (mptBefore->prev)
            mptBefore->prev->next = mptChild;
        else
            mptParent->children = mptChild;
        mptBefore->prev = mptChild;
    } else {
        mptChild->next = nullptr;
        mptChild->prev = mptParent->last;
        if (mptParent->last)
            mptParent->last->next = mptChild;
        else
            mptParent->children = mptChild;
        mptParent->last = mptChild;
    }
    // A moved element declares the namespaces it uses where it now is, so that its markup stays right.
    if (mptChild->type == XML_ELEMENT_NODE) xmlDOMWrapReconcileNamespaces(nullptr, mptChild, 0);
    Touch();
}

void KxwXmlDomTree::InsertAttribute(xmlNode* mptElement, xmlAttr* mptAttr) {
    auto* ptNode = reinterpret_cast<xmlNode*>(mptAttr);
    if (!mptElement || !mptAttr) return;
    Remove(ptNode);
    _tDetached.erase(ptNode);
    mptAttr->parent = mptElement;
    mptAttr->next = nullptr;
    mptAttr->prev = nullptr;
    if (!mptElement->properties) {
        mptElement->properties = mptAttr;
    } else {
        xmlAttr* ptLast = mptElement->properties;
        while (ptLast->next) ptLast = ptLast->next;
        ptLast->next = mptAttr;
        mptAttr->prev = ptLast;
    }
    Touch();
}

void KxwXmlDomTree::SetText(xmlNode* mptNode, const xmlChar* mpszText) {
    if (!mptNode) return;
    if (mptNode->type == XML_ATTRIBUTE_NODE) {
        auto* ptAttr = reinterpret_cast<xmlAttr*>(mptNode);
        if (ptAttr->atype == XML_ATTRIBUTE_ID && ptAttr->parent) {
            xmlRemoveID(_ptDoc, ptAttr);
            ptAttr->atype = static_cast<xmlAttributeType>(0);
        }
    }
    while (mptNode->children) Discard(mptNode->children);
    if (!mpszText || !*mpszText) {
        Touch();
        return;
    }
    xmlNode* ptText = xmlNewDocText(_ptDoc, mpszText);
    if (!ptText) return;
    Insert(mptNode, ptText, nullptr);
}

bool KxwXmlDomTree::IsUnreferenced(xmlNode* mptRoot) {
    return xfbKxwXmlDomVisitAll(mptRoot, [](xmlNode* mptNode) {
        if (mptNode->_private) return false;
        if (mptNode->type == XML_ELEMENT_NODE && mptNode->nsDef) return false;
        if (mptNode->type == XML_DTD_NODE) return false;
        return true;
    });
}

void KxwXmlDomTree::ClearObjects(xmlNode* mptRoot) {
    if (mptRoot->type == XML_DOCUMENT_NODE) {
        for (xmlNode* ptChild = mptRoot->children; ptChild; ptChild = ptChild->next) ClearObjects(ptChild);
        return;
    }
    xfbKxwXmlDomVisitAll(mptRoot, [](xmlNode* mptNode) {
        mptNode->_private = nullptr;
        return true;
    });
}
