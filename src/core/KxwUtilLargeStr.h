// A growable byte buffer for long texts (markup of whole documents, snapshots). Appends lock room for the most
// they may write and then commit what they wrote, so producers write straight into the buffer.
#pragma once

template <class T>
class KxwUtilLargeStr {
public:
    explicit KxwUtilLargeStr(int miInitialAllocSize = 16);
    virtual ~KxwUtilLargeStr();
    KxwUtilLargeStr(const KxwUtilLargeStr&) = delete;
    KxwUtilLargeStr& operator=(const KxwUtilLargeStr&) = delete;
    KxwUtilLargeStr(KxwUtilLargeStr&& mrtOther) noexcept;
    KxwUtilLargeStr& operator=(KxwUtilLargeStr&& mrtOther) noexcept;

    void Assign(const T* mpsfStr, int miLen);
    void Concat(const T* mpsfStr, int miLen);
    void Concat(T mcChar);
    // Room for up to miLen more elements at the end, without changing the length; commit with UnlockAdditional.
    T* ObtainConcatBuffer(int miLen);
    const T* GetStr() const;
    int GetLen() const { return _iLen; }
    bool IsEmpty() const { return _iLen == 0; }
    void FreeStr();
    // Takes over the other's buffer; the other is left empty and without buffer.
    void Yank(KxwUtilLargeStr& mrtLargeStr);

    int GetCurrentAllocSize() const { return _iCurrentAllocSize; }
    int GetInitialAllocSize() const { return _iInitialAllocSize; }

    // Public so that producers such as the escaping routines can write in place.
    T* LockAdditional(int miLen);
    void UnlockAdditional(int miLen);

protected:
    T* _pcStr = nullptr;
    int _iInitialAllocSize;
    int _iCurrentAllocSize = 0;
    int _iLen = 0;
};

extern template class KxwUtilLargeStr<char>;
