// A stack of deletion watchers for walks that call out at every level (notifying ancestors, walking a subtree): the
// usual depths are watched in place, without touching the heap or initialising unused levels; deeper levels go to
// the heap, never to the stack, however deep the tree. Watchers leave in the reverse order of their coming.
#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <new>

#include "KxwDomWatchDelete.h"

class KxwDomWatchStack {
public:
    explicit KxwDomWatchStack(const char* mpszLabel) : _pszLabel(mpszLabel) {}
    ~KxwDomWatchStack() {
        while (_nSize) Pop();
    }
    KxwDomWatchStack(const KxwDomWatchStack&) = delete;
    KxwDomWatchStack& operator=(const KxwDomWatchStack&) = delete;

    KxwDomWatchDelete& Push(KxwDomBase* mptWatched) {
        if (_nSize < knInlineLevels) {
            KxwDomWatchDelete* ptWatch = new (_atInline[_nSize]._aucBytes) KxwDomWatchDelete(_pszLabel, mptWatched);
            ++_nSize;
            return *ptWatch;
        }
        if (!_ptDeeper) _ptDeeper = std::make_unique<std::deque<KxwDomWatchDelete>>();
        ++_nSize;
        return _ptDeeper->emplace_back(_pszLabel, mptWatched);
    }
    void Pop() {
        --_nSize;
        if (_nSize < knInlineLevels)
            InlineAt(_nSize).~KxwDomWatchDelete();
        else
            _ptDeeper->pop_back();
    }
    KxwDomWatchDelete& Top() { return _nSize <= knInlineLevels ? InlineAt(_nSize - 1) : _ptDeeper->back(); }
    size_t Size() const { return _nSize; }
    bool IsEmpty() const { return _nSize == 0; }

private:
    static constexpr size_t knInlineLevels = 16;
    struct Slot {
        alignas(KxwDomWatchDelete) unsigned char _aucBytes[sizeof(KxwDomWatchDelete)];
    };
    KxwDomWatchDelete& InlineAt(size_t mnLevel) {
        return *std::launder(reinterpret_cast<KxwDomWatchDelete*>(_atInline[mnLevel]._aucBytes));
    }

    const char* _pszLabel;
    size_t _nSize = 0;
    Slot _atInline[knInlineLevels];
    std::unique_ptr<std::deque<KxwDomWatchDelete>> _ptDeeper;  // made only for a tree that deep
};
