// KxwiHtmlBuf: a growable array of trivially copyable items on the process heap, for the parser's input buffers,
// arenas and attribute lists. It keeps its capacity when cleared, so that a parser that runs for a whole page
// stops allocating once its buffers have reached the page's largest token. Exhaustion ends the process.
#pragma once

#include <cstddef>
#include <cstring>
#include <type_traits>

#include "KxwUtilReport.h"
#include "maw_alloc.h"

template <typename T>
class KxwiHtmlBuf {
public:
    explicit KxwiHtmlBuf(const char* mpszWhat) : _pszWhat(mpszWhat) {}
    ~KxwiHtmlBuf() { maw_free(_ptItems); }
    KxwiHtmlBuf(const KxwiHtmlBuf&) = delete;
    KxwiHtmlBuf& operator=(const KxwiHtmlBuf&) = delete;

    T* Data() { return _ptItems; }
    const T* Data() const { return _ptItems; }
    size_t Size() const { return _nSize; }
    bool IsEmpty() const { return _nSize == 0; }
    T& operator[](size_t mnIndex) { return _ptItems[mnIndex]; }
    const T& operator[](size_t mnIndex) const { return _ptItems[mnIndex]; }

    void Clear() { _nSize = 0; }
    // Gives the memory back (a tokenizer reset after a large page).
    void Release() {
        maw_free(_ptItems);
        _ptItems = nullptr;
        _nSize = _nCapacity = 0;
    }

    void Reserve(size_t mnCapacity) {
        static_assert(std::is_trivially_copyable<T>::value, "KxwiHtmlBuf moves its items with memcpy");
        if (mnCapacity <= _nCapacity) return;
        size_t nNew = _nCapacity ? _nCapacity : 64;
        while (nNew < mnCapacity) {
            if (nNew > (static_cast<size_t>(-1) / sizeof(T)) / 2) KxwUtilOutOfMemoryAbort(-1, _pszWhat);
            nNew *= 2;
        }
        void* pvGrown = maw_realloc(_ptItems, nNew * sizeof(T));
        if (!pvGrown) KxwUtilOutOfMemoryAbort(static_cast<long>(nNew * sizeof(T)), _pszWhat);
        _ptItems = static_cast<T*>(pvGrown);
        _nCapacity = nNew;
    }
    // Room for mnCount more items; returns where they go (the size grows by mnCount).
    T* Grow(size_t mnCount) {
        if (mnCount > static_cast<size_t>(-1) - _nSize) KxwUtilOutOfMemoryAbort(-1, _pszWhat);
        Reserve(_nSize + mnCount);
        T* ptAt = _ptItems + _nSize;
        _nSize += mnCount;
        return ptAt;
    }
    void Append(const T* mptItems, size_t mnCount) {
        if (mnCount == 0) return;
        // The items may lie in this buffer, which Grow can move.
        if (mptItems >= _ptItems && mptItems < _ptItems + _nSize) {
            size_t nOffset = static_cast<size_t>(mptItems - _ptItems);
            T* ptAt = Grow(mnCount);
            std::memmove(ptAt, _ptItems + nOffset, mnCount * sizeof(T));
            return;
        }
        std::memcpy(Grow(mnCount), mptItems, mnCount * sizeof(T));
    }
    void Push(const T& mrtItem) { *Grow(1) = mrtItem; }
    void Shrink(size_t mnSize) {
        if (mnSize < _nSize) _nSize = mnSize;
    }
    // Drops the first mnCount items, moving the rest to the front.
    void EraseFront(size_t mnCount) {
        if (mnCount >= _nSize) {
            _nSize = 0;
            return;
        }
        std::memmove(_ptItems, _ptItems + mnCount, (_nSize - mnCount) * sizeof(T));
        _nSize -= mnCount;
    }

private:
    const char* _pszWhat;  // for the out-of-memory report
    T* _ptItems = nullptr;
    size_t _nSize = 0;
    size_t _nCapacity = 0;
};
