// Fuzz target for the page tree builder: any byte sequence must build a tree without a fault, through well-formed
// sink calls (an element linked once, a node inserted before a child of its parent), no deeper than the builder's
// bound, and the same tree whether the page arrives in one piece or in many, also while its scripts write into it
// (document.write, nested, with scripts that wait for their source) and when it is built as a fragment. A broken
// property aborts, so libFuzzer keeps the input.
//
// Built with clang -fsanitize=fuzzer (option KXW_FUZZ); the corpus under tests/fuzz/corpus/tree_builder is replayed
// by kxw_tree_builder_corpus_replay in every test run.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../platform/KxwiHtmlTreeTestSink.h"
#include "KxwU16nHandler.h"
#include "KxwiHtmlTreeBuilder.h"

namespace {

using Node = KxwiHtmlTreeTestSink::Node;

[[noreturn]] void Fail(const char* mpszWhat, const std::string& mdsDetail) {
    std::fprintf(stderr, "tree_builder_fuzz: %s\n%s\n", mpszWhat, mdsDetail.c_str());
    std::abort();
}

enum ScriptMode { kNoScripts, kWritingScripts, kWaitingScripts };

// Builds the input; scripts "write" their own text back (bounded, so that it ends), and in kWaitingScripts every
// other script waits for its source: the builder pauses and the driver runs it later between EnterScript and
// LeaveScript.
class Run {
public:
    Run(ScriptMode meMode, KxwU16nHandler* mptHandler) : _eMode(meMode), _tBuilder(&_tSink, mptHandler) {
        _tSink._fOnScript = [this](Node* mptScript, bool) {
            if (_eMode == kNoScripts) return;
            std::string dsText = KxwiHtmlTreeTestSink::TextOf(mptScript);
            if (_eMode == kWaitingScripts && (_iScripts++ & 1)) {
                _tBuilder.Pause();
                _tWaiting.push_back(dsText);
                return;
            }
            WriteBack(dsText);
        };
    }

    std::string Build(const uint8_t* mpucData, size_t mnSize, uint32_t muSeed, const char* mpszContext) {
        Node tContext;
        tContext._eKind = Node::kElement;
        if (mpszContext) {
            tContext._dsName = mpszContext;
            if (!_tBuilder.BeginFragment(&tContext, mpszContext, tContext._dsName.size()))
                Fail("BeginFragment refused", mpszContext);
        }
        const char* psfData = reinterpret_cast<const char*>(mpucData);
        uint32_t uState = muSeed;
        size_t nPos = 0;
        while (nPos < mnSize) {
            size_t nLen = mnSize - nPos;
            if (muSeed) {
                uState = uState * 1103515245u + 12345u;
                size_t nChunk = 1 + (uState >> 16) % 24;
                if (nChunk < nLen) nLen = nChunk;
            }
            _tBuilder.Feed(psfData + nPos, nLen);
            RunWaiting();
            nPos += nLen;
        }
        _tBuilder.EndOfInput();
        RunWaiting();
        if (_tBuilder.IsPaused() || !_tBuilder.IsEnded() || _tSink._nEnds != 1)
            Fail("the builder did not end once", std::to_string(_tSink._nEnds));
        if (!_tSink._tErrors.empty()) Fail("a bad sink call", _tSink._tErrors.front());
        if (_tSink.MaxDepth() > KxwiHtmlTreeBuilder::kMaxDepth + 10) Fail("a tree deeper than the bound", "");
        std::string dsTree = mpszContext ? KxwiHtmlTreeTestSink::Render(&tContext) : _tSink.Document();
        if (mpszContext && !_tSink._tDocument._tChildren.empty()) Fail("a fragment added to the document", dsTree);
        return dsTree;
    }

private:
    void WriteBack(const std::string& mdsText) {
        if (_iWrites >= 24 || mdsText.size() > 200) return;
        ++_iWrites;
        size_t nHalf = mdsText.size() / 2;
        _tBuilder.Write(mdsText.data(), nHalf);
        _tBuilder.Write(mdsText.data() + nHalf, mdsText.size() - nHalf);
    }
    // The scripts whose source "arrived": each runs where it stood, writing as an inline script does.
    void RunWaiting() {
        while (_tBuilder.IsPaused() && !_tWaiting.empty()) {
            std::string dsText = _tWaiting.front();
            _tWaiting.erase(_tWaiting.begin());
            _tBuilder.EnterScript();
            WriteBack(dsText);
            _tBuilder.LeaveScript();
        }
        if (_tBuilder.IsPaused()) Fail("paused with no script waiting", "");
    }

    ScriptMode _eMode;
    KxwiHtmlTreeTestSink _tSink;
    KxwiHtmlTreeBuilder _tBuilder;
    int _iScripts = 0;
    int _iWrites = 0;
    std::vector<std::string> _tWaiting;
};

std::string Build(const uint8_t* mpucData, size_t mnSize, ScriptMode meMode, uint32_t muSeed,
                  const char* mpszContext = nullptr, KxwU16nHandler* mptHandler = nullptr) {
    return Run(meMode, mptHandler).Build(mpucData, mnSize, muSeed, mpszContext);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* mpucData, size_t mnSize) {
    if (mnSize > (1u << 18)) return 0;
    uint32_t uSeed = 2166136261u;
    for (size_t i = 0; i < mnSize; ++i) uSeed = (uSeed ^ mpucData[i]) * 16777619u;
    uSeed |= 1;

    static KxwU16nHandlerGeneral tUtf8("utf-8");
    for (ScriptMode eMode : {kNoScripts, kWritingScripts, kWaitingScripts}) {
        std::string dsWhole = Build(mpucData, mnSize, eMode, 0, nullptr, &tUtf8);
        std::string dsChunked = Build(mpucData, mnSize, eMode, uSeed, nullptr, &tUtf8);
        if (dsWhole != dsChunked) Fail("the tree depends on where the page was split", dsWhole + "\n---\n" + dsChunked);
    }
    static const char* const kapszContexts[] = {"DIV",      "TABLE",  "TBODY",    "TR", "TD", "SELECT",
                                                "TEXTAREA", "SCRIPT", "COLGROUP", "UL", "P",  "O:P"};
    const char* pszContext = kapszContexts[uSeed % (sizeof(kapszContexts) / sizeof(kapszContexts[0]))];
    std::string dsWhole = Build(mpucData, mnSize, kNoScripts, 0, pszContext);
    std::string dsChunked = Build(mpucData, mnSize, kNoScripts, uSeed, pszContext);
    if (dsWhole != dsChunked)
        Fail("the fragment depends on where the markup was split", dsWhole + "\n---\n" + dsChunked);
    return 0;
}
