#include "KxwUtilLargeStr.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "KxwUtilReport.h"
#include "kxw/KxwEnvCfg.h"
#include "maw_alloc.h"

namespace {

// Invariant failures of text buffers go to the engine's internal-error callback when it gave one.
void ReportLargeStrError(const char* mpszMessage) {
    if (xtKxwEnvCfg._pfvInternalError) xtKxwEnvCfg._pfvInternalError(mpszMessage);
    else xfvKxwUtilReportInternalError("%s", mpszMessage);
}

}  // namespace

template <class T>
KxwUtilLargeStr<T>::KxwUtilLargeStr(int miInitialAllocSize)
    : _iInitialAllocSize(miInitialAllocSize < 16 ? 16 : miInitialAllocSize) {}

template <class T>
KxwUtilLargeStr<T>::~KxwUtilLargeStr() {
    maw_free(_pcStr);
}

template <class T>
KxwUtilLargeStr<T>::KxwUtilLargeStr(KxwUtilLargeStr&& mrtOther) noexcept
    : _iInitialAllocSize(mrtOther._iInitialAllocSize) {
    Yank(mrtOther);
}

template <class T>
KxwUtilLargeStr<T>& KxwUtilLargeStr<T>::operator=(KxwUtilLargeStr&& mrtOther) noexcept {
    if (this != &mrtOther) Yank(mrtOther);
    return *this;
}

template <class T>
T* KxwUtilLargeStr<T>::LockAdditional(int miLen) {
    if (miLen < 0) ReportLargeStrError("miLen < 0 passed to KxwUtilLargeStr::LockAdditional");
    if (miLen < 1) return _pcStr;
    int64_t llNeeded = static_cast<int64_t>(_iLen) + miLen + 1;
    if (llNeeded <= _iCurrentAllocSize) return _pcStr + _iLen;
    int64_t llTarget = llNeeded + miLen;
    int64_t llNewSize = _iInitialAllocSize;
    if (llTarget > _iInitialAllocSize) llNewSize = llTarget > 2LL * _iCurrentAllocSize ? llTarget : 2LL * _iCurrentAllocSize;
    llNewSize = (llNewSize + 15) / 16 * 16;
    // Texts are indexed by int: a buffer that would pass that limit cannot be made.
    if (llNewSize > INT_MAX) KxwUtilOutOfMemoryAbort(static_cast<long>(llNewSize), "KxwUtilLargeStr value");
    T* pcNew = static_cast<T*>(maw_malloc(static_cast<size_t>(llNewSize) * sizeof(T)));
    if (!pcNew) KxwUtilOutOfMemoryAbort(static_cast<long>(llNewSize), "KxwUtilLargeStr value");
    if (_iLen > 0) std::memcpy(pcNew, _pcStr, static_cast<size_t>(_iLen) * sizeof(T));
    maw_free(_pcStr);
    _pcStr = pcNew;
    _iCurrentAllocSize = static_cast<int>(llNewSize);
    return _pcStr + _iLen;
}

template <class T>
void KxwUtilLargeStr<T>::UnlockAdditional(int miLen) {
    if (miLen < 0) {
        ReportLargeStrError("miLen < 0 passed to KxwUtilLargeStr::UnlockAdditional");
        return;
    }
    if (miLen == 0) return;
    int64_t llNewLen = static_cast<int64_t>(_iLen) + miLen;
    if (llNewLen >= _iCurrentAllocSize) {
        ReportLargeStrError("nNewLen >= _iCurrentAllocSize in KxwUtilLargeStr::UnlockAdditional");
        return;
    }
    _iLen = static_cast<int>(llNewLen);
}

template <class T>
void KxwUtilLargeStr<T>::Assign(const T* mpsfStr, int miLen) {
    _iLen = 0;
    Concat(mpsfStr, miLen);
}

template <class T>
void KxwUtilLargeStr<T>::Concat(const T* mpsfStr, int miLen) {
    if (miLen < 0) {
        ReportLargeStrError("miLen < 0 passed to KxwUtilLargeStr::Concat");
        return;
    }
    if (miLen == 0) return;
    if (!mpsfStr) {
        ReportLargeStrError("NULL text passed to KxwUtilLargeStr::Concat");
        return;
    }
    // The text may come from this very buffer, which growing would free: keep its offset, not its address.
    bool bFromSelf = _pcStr && mpsfStr >= _pcStr && mpsfStr < _pcStr + _iCurrentAllocSize;
    ptrdiff_t nOffset = bFromSelf ? mpsfStr - _pcStr : 0;
    T* pcEnd = LockAdditional(miLen);
    if (bFromSelf) mpsfStr = _pcStr + nOffset;
    std::memmove(pcEnd, mpsfStr, static_cast<size_t>(miLen) * sizeof(T));
    UnlockAdditional(miLen);
}

template <class T>
void KxwUtilLargeStr<T>::Concat(T mcChar) {
    T* pcEnd = LockAdditional(1);
    *pcEnd = mcChar;
    UnlockAdditional(1);
}

template <class T>
T* KxwUtilLargeStr<T>::ObtainConcatBuffer(int miLen) {
    if (miLen < 0) {
        ReportLargeStrError("miLen < 0 passed to KxwUtilLargeStr::ObtainConcatBuffer");
        return nullptr;
    }
    if (miLen == 0) return nullptr;
    return LockAdditional(miLen);
}

template <class T>
const T* KxwUtilLargeStr<T>::GetStr() const {
    static const T ktEmpty[1] = {};
    if (!_pcStr) return ktEmpty;
    _pcStr[_iLen] = T();
    return _pcStr;
}

template <class T>
void KxwUtilLargeStr<T>::FreeStr() {
    maw_free(_pcStr);
    _pcStr = nullptr;
    _iCurrentAllocSize = 0;
    _iLen = 0;
}

template <class T>
void KxwUtilLargeStr<T>::Yank(KxwUtilLargeStr& mrtLargeStr) {
    if (&mrtLargeStr == this) return;
    maw_free(_pcStr);
    _pcStr = mrtLargeStr._pcStr;
    _iCurrentAllocSize = mrtLargeStr._iCurrentAllocSize;
    _iLen = mrtLargeStr._iLen;
    mrtLargeStr._pcStr = nullptr;
    mrtLargeStr._iCurrentAllocSize = 0;
    mrtLargeStr._iLen = 0;
}

template class KxwUtilLargeStr<char>;
