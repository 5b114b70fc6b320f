// A tree sink for the tree builder's tests: it builds a small node tree, checks every call against it (an element
// is linked once, InsertBefore names a child of the parent) and renders the tree compactly:
//   HTML(HEAD(TITLE(#text:x)),BODY(P[id=a](#text:a),#comment:c))
// Attributes in brackets (a name alone when written without a value), text and comments with \n for line breaks.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "KxwiHtmlTreeBuilder.h"
#include "KxwiHtmlTreeSink.h"

class KxwiHtmlTreeTestSink : public KxwiHtmlTreeSink {
public:
    struct Node {
        enum Kind { kElement, kText, kComment } _eKind;
        std::string _dsName;  // element name, or text
        std::vector<std::pair<std::string, std::string>> _tAttrs;
        std::vector<bool> _tHasValue;
        bool _bImplied = false;
        int _iLine = 0;
        Node* _ptParent = nullptr;
        bool _bLinked = false;
        std::vector<Node*> _tChildren;
    };

    KxwiHtmlTreeTestSink() { _tDocument._eKind = Node::kElement; }

    void* CreateElement(const char* mpsfUpperName, size_t mnLen, const KxwiHtmlAttr* mptAttrs, size_t mnCount,
                        bool mbImplied, int miLine) override {
        if (_bRefuseElements) return nullptr;
        Node* ptNode = NewNode(Node::kElement, std::string(mpsfUpperName, mnLen));
        for (size_t i = 0; i < mnCount; ++i) {
            ptNode->_tAttrs.emplace_back(std::string(mptAttrs[i]._psfName, mptAttrs[i]._nNameLen),
                                         std::string(mptAttrs[i]._psfValue, mptAttrs[i]._nValueLen));
            ptNode->_tHasValue.push_back(mptAttrs[i]._bHasValue);
        }
        ptNode->_bImplied = mbImplied;
        ptNode->_iLine = miLine;
        ++_nCreated;
        return ptNode;
    }
    bool AppendChild(void* mpvParent, void* mpvChild) override {
        Node* ptChild = Check(mpvChild, "AppendChild");
        if (!ptChild) return false;
        Node* ptParent = ParentOf(mpvParent);
        ptChild->_ptParent = ptParent;
        ptChild->_bLinked = true;
        ptParent->_tChildren.push_back(ptChild);
        return true;
    }
    bool InsertBefore(void* mpvParent, void* mpvChild, void* mpvBefore) override {
        Node* ptChild = Check(mpvChild, "InsertBefore");
        if (!ptChild) return false;
        Node* ptParent = ParentOf(mpvParent);
        for (size_t i = 0; i < ptParent->_tChildren.size(); ++i) {
            if (ptParent->_tChildren[i] != mpvBefore) continue;
            ptChild->_ptParent = ptParent;
            ptChild->_bLinked = true;
            ptParent->_tChildren.insert(ptParent->_tChildren.begin() + static_cast<long>(i), ptChild);
            return true;
        }
        return false;
    }
    bool AddText(void* mpvParent, void* mpvBefore, const char* mpsfText, size_t mnLen) override {
        if (mnLen == 0) _tErrors.push_back("empty text");
        Node* ptParent = ParentOf(mpvParent);
        Node* ptText = NewNode(Node::kText, std::string(mpsfText, mnLen));
        ptText->_ptParent = ptParent;
        ptText->_bLinked = true;
        if (!mpvBefore) {
            ptParent->_tChildren.push_back(ptText);
            return true;
        }
        for (size_t i = 0; i < ptParent->_tChildren.size(); ++i) {
            if (ptParent->_tChildren[i] != mpvBefore) continue;
            ptParent->_tChildren.insert(ptParent->_tChildren.begin() + static_cast<long>(i), ptText);
            return true;
        }
        ptText->_bLinked = false;
        return false;
    }
    void AddComment(void* mpvParent, const char* mpsfText, size_t mnLen) override {
        Node* ptParent = ParentOf(mpvParent);
        Node* ptComment = NewNode(Node::kComment, std::string(mpsfText, mnLen));
        ptComment->_ptParent = ptParent;
        ptComment->_bLinked = true;
        ptParent->_tChildren.push_back(ptComment);
    }
    void MergeAttributes(void* mpvElement, const KxwiHtmlAttr* mptAttrs, size_t mnCount) override {
        Node* ptNode = static_cast<Node*>(mpvElement);
        for (size_t i = 0; i < mnCount; ++i) {
            std::string dsName(mptAttrs[i]._psfName, mptAttrs[i]._nNameLen);
            bool bHave = false;
            for (const auto& rtAttr : ptNode->_tAttrs) bHave = bHave || rtAttr.first == dsName;
            if (bHave) continue;
            ptNode->_tAttrs.emplace_back(dsName, std::string(mptAttrs[i]._psfValue, mptAttrs[i]._nValueLen));
            ptNode->_tHasValue.push_back(mptAttrs[i]._bHasValue);
        }
    }
    void OnDoctype(const char* mpsfText, size_t mnLen) override { _tDoctypes.emplace_back(mpsfText, mnLen); }
    void OnScriptEnd(void* mpvScript, bool mbEndTagSeen) override {
        ++_nScripts;
        if (!mbEndTagSeen) ++_nScriptsCutOff;
        if (_fOnScript) _fOnScript(static_cast<Node*>(mpvScript), mbEndTagSeen);
    }
    void OnMetaCharset(const char* mpsfCharset, size_t mnLen) override {
        _tCharsets.emplace_back(mpsfCharset, mnLen);
        if (_fOnCharset) _fOnCharset(_tCharsets.back());
    }
    void OnEndOfInput() override {
        ++_nEnds;
        if (_fOnEnd) _fOnEnd();
    }

    // The rendering of a node's children, or of the whole document.
    static std::string Render(const Node* mptNode) {
        std::string dsOut;
        for (size_t i = 0; i < mptNode->_tChildren.size(); ++i) {
            if (i) dsOut += ',';
            RenderNode(mptNode->_tChildren[i], dsOut);
        }
        return dsOut;
    }
    std::string Document() const { return Render(&_tDocument); }
    // The first element of the name, depth first (null when there is none).
    Node* Find(const std::string& mdsName) {
        std::vector<Node*> tStack{&_tDocument};
        while (!tStack.empty()) {
            Node* ptNode = tStack.back();
            tStack.pop_back();
            if (ptNode != &_tDocument && ptNode->_eKind == Node::kElement && ptNode->_dsName == mdsName) return ptNode;
            for (size_t i = ptNode->_tChildren.size(); i-- > 0;) tStack.push_back(ptNode->_tChildren[i]);
        }
        return nullptr;
    }
    std::string Body() {
        Node* ptBody = Find("BODY");
        return ptBody ? Render(ptBody) : "<no body>";
    }
    // The text of an element's children.
    static std::string TextOf(const Node* mptNode) {
        std::string dsText;
        for (const Node* ptChild : mptNode->_tChildren)
            if (ptChild->_eKind == Node::kText) dsText += ptChild->_dsName;
        return dsText;
    }
    size_t MaxDepth() const {
        size_t nMax = 0;
        std::vector<std::pair<const Node*, size_t>> tStack{{&_tDocument, 0}};
        while (!tStack.empty()) {
            auto tTop = tStack.back();
            tStack.pop_back();
            if (tTop.second > nMax) nMax = tTop.second;
            for (const Node* ptChild : tTop.first->_tChildren) tStack.emplace_back(ptChild, tTop.second + 1);
        }
        return nMax;
    }

    Node _tDocument;
    std::vector<std::string> _tErrors;
    std::vector<std::string> _tDoctypes;
    std::vector<std::string> _tCharsets;
    size_t _nCreated = 0;
    int _nScripts = 0;
    int _nScriptsCutOff = 0;
    int _nEnds = 0;
    bool _bRefuseElements = false;
    std::function<void(Node*, bool)> _fOnScript;
    std::function<void()> _fOnEnd;
    std::function<void(const std::string&)> _fOnCharset;

private:
    Node* NewNode(Node::Kind meKind, std::string mdsName) {
        _tNodes.push_back(std::make_unique<Node>());
        Node* ptNode = _tNodes.back().get();
        ptNode->_eKind = meKind;
        ptNode->_dsName = std::move(mdsName);
        return ptNode;
    }
    Node* ParentOf(void* mpvParent) { return mpvParent ? static_cast<Node*>(mpvParent) : &_tDocument; }
    Node* Check(void* mpvChild, const char* mpszWhat) {
        Node* ptChild = static_cast<Node*>(mpvChild);
        if (!ptChild) {
            _tErrors.push_back(std::string(mpszWhat) + " of a null node");
            return nullptr;
        }
        if (ptChild->_bLinked) {
            _tErrors.push_back(std::string(mpszWhat) + " of a linked node " + ptChild->_dsName);
            return nullptr;
        }
        return ptChild;
    }
    static void Escape(const std::string& mdsText, std::string& mrdsOut) {
        for (char cChar : mdsText) {
            if (cChar == '\n')
                mrdsOut += "\\n";
            else if (cChar == '\r')
                mrdsOut += "\\r";
            else
                mrdsOut += cChar;
        }
    }
    // Depth first without recursion: the tests build trees as deep as the builder allows.
    static void RenderNode(const Node* mptRoot, std::string& mrdsOut) {
        struct Frame {
            const Node* _ptNode;
            size_t _nNext;
        };
        std::vector<Frame> tStack{{mptRoot, 0}};
        while (!tStack.empty()) {
            Frame& rtFrame = tStack.back();
            const Node* ptNode = rtFrame._ptNode;
            if (rtFrame._nNext == 0) {
                if (ptNode->_eKind == Node::kText) {
                    mrdsOut += "#text:";
                    Escape(ptNode->_dsName, mrdsOut);
                } else if (ptNode->_eKind == Node::kComment) {
                    mrdsOut += "#comment:";
                    Escape(ptNode->_dsName, mrdsOut);
                } else {
                    mrdsOut += ptNode->_dsName;
                    if (!ptNode->_tAttrs.empty()) {
                        mrdsOut += '[';
                        for (size_t i = 0; i < ptNode->_tAttrs.size(); ++i) {
                            if (i) mrdsOut += ' ';
                            mrdsOut += ptNode->_tAttrs[i].first;
                            if (ptNode->_tHasValue[i]) mrdsOut += "=" + ptNode->_tAttrs[i].second;
                        }
                        mrdsOut += ']';
                    }
                }
                if (ptNode->_tChildren.empty()) {
                    tStack.pop_back();
                    continue;
                }
                mrdsOut += '(';
            } else if (rtFrame._nNext >= ptNode->_tChildren.size()) {
                mrdsOut += ')';
                tStack.pop_back();
                continue;
            } else {
                mrdsOut += ',';
            }
            const Node* ptChild = ptNode->_tChildren[rtFrame._nNext++];
            tStack.push_back({ptChild, 0});
        }
    }

    std::vector<std::unique_ptr<Node>> _tNodes;
};
