// The compact store of an element's attributes that no DOM property took: one variable-length record per
// attribute in a singly linked list, most recent first. Parsed attributes hold their value in DCS; values set from
// scripts or loaded user data hold it in UTF-16; a record converted on a read holds both.
//
// Record layout (one block, offsets from its start):
//   0            pointer to the next record (null for the last)
//   P            flags and short name length: bits 0-4 = name length - 1 for names of 1 to 31 bytes, 31 for
//                longer names (measured from the terminating zero); 0x20 DCS value present; 0x40 UTF-16 value
//                present; 0x80 included in generated HTML          (P = size of a pointer)
//   P+1          the name in DCS and a zero byte
//   next         when 0x20: the DCS value and a zero byte
//   next         when 0x40: zero bytes of padding up to a multiple of 4, the value's length in UTF-16 characters
//                (32 bits, so that no value is ever cut), the characters and a zero character
//
// The usual few records are searched in order. Beyond kIndexFrom of them the store keeps an index of its records by
// name (exact and ignoring ASCII case, each record's predecessor in the list beside it), so that a page's element
// with 10^6 attributes costs O(1) per attribute to fill, search and empty. The same block holds the index of the
// names of the attributes the element already moved into its engine object (its element keeps that one, see
// KxwDomCoreElement): one pointer per element pays for both.
#pragma once

#include <cstddef>
#include <cstdint>

#include "KxwDomNameIndex.h"

class KxwDomStrEnvApi;
class KxwDomHtmlTextsStr;
class KxwMemMgr;

class KxwDomAdditionalAttrCollection {
public:
    // A read-only view of one record, for walks over the store (the element's dump).
    class Attr {
    public:
        static constexpr unsigned char kNameLenMask = 0x1F;
        static constexpr unsigned char kIsValueDcsPresent = 0x20;
        static constexpr unsigned char kIsValueU16nPresent = 0x40;
        static constexpr unsigned char kIsIncludeInInnerOuterHTML = 0x80;
        static constexpr size_t kFlagsOffset = sizeof(void*);
        static constexpr size_t kNameOffset = kFlagsOffset + 1;

        Attr* GetNext() const;
        unsigned char GetFlags() const { return Bytes()[kFlagsOffset]; }
        bool IsValueDcsPresent() const { return (GetFlags() & kIsValueDcsPresent) != 0; }
        bool IsValueU16nPresent() const { return (GetFlags() & kIsValueU16nPresent) != 0; }
        bool IsValueSpecified() const { return IsValueDcsPresent() || IsValueU16nPresent(); }
        bool IsIncludeInInnerOuterHTML() const { return (GetFlags() & kIsIncludeInInnerOuterHTML) != 0; }
        const char* GetNameDcsStr() const { return reinterpret_cast<const char*>(Bytes() + kNameOffset); }
        unsigned GetNameDcsLenInBytes() const;
        // Null when the record holds no DCS value.
        const char* GetValueDcsStr() const;
        unsigned GetValueDcsLenInBytes() const;
        // Null when the record holds no UTF-16 value.
        const char16_t* GetValueU16nStr() const;
        unsigned GetValueU16nLenInChars() const;

        // Size of a record: name n bytes, a DCS value (or null) of m bytes, a UTF-16 value (or null) of k chars.
        static size_t GetRequiredMemSize(size_t mnNameDcsLenInBytes, const char* mpsfValueDcsStrOrNULL,
                                         size_t mnValueDcsLenInBytes, const char16_t* mpsfkValueU16nStrOrNULL,
                                         size_t mnValueU16nLenInChars);

    private:
        friend class KxwDomAdditionalAttrCollection;
        Attr() = delete;
        const unsigned char* Bytes() const { return reinterpret_cast<const unsigned char*>(this); }
        unsigned char* Bytes() { return reinterpret_cast<unsigned char*>(this); }
        void SetNext(Attr* mptNext);
        size_t AddrPastName() const { return kNameOffset + GetNameDcsLenInBytes() + 1; }
        size_t AddrValueU16nLen() const;
    };

    explicit KxwDomAdditionalAttrCollection(KxwDomStrEnvApi& mrtStrEnv);
    ~KxwDomAdditionalAttrCollection();
    KxwDomAdditionalAttrCollection(const KxwDomAdditionalAttrCollection&) = delete;
    KxwDomAdditionalAttrCollection& operator=(const KxwDomAdditionalAttrCollection&) = delete;

    // An attribute as the parser found it (null value: written without one). The first of two records with the
    // same name (case counts) wins.
    bool AddParsedAttr(const char* mpszNameDcsStr, const char* mpszValueDcsStrOrNULL);
    // Sets the value in UTF-16, replacing a record of that name (compared ignoring case when asked); the new
    // record keeps the old record's spelling of the name.
    bool AddOrReplaceAttr(const char* mpsfzNameDcsStr, unsigned mnNameDcsLenInBytes, bool mbIgnoreCase,
                          const char16_t* mpsfkValueU16nStr, unsigned mnValueU16nLenInChars,
                          bool mbIncludeInInnerOuterHTML);
    bool AddOrReplaceAttr(const char16_t* mpsfkNameU16nStr, unsigned mnNameU16nLenInChars, bool mbIgnoreCase,
                          const char16_t* mpsfkValueU16nStr, unsigned mnValueU16nLenInChars,
                          bool mbIncludeInInnerOuterHTML);
    // True with a null value for an unknown name, with the empty text for a record without value. A record that
    // holds the value only in the other encoding is converted once and moves to the head.
    bool GetAttrValueDcs(const char* mpsfzNameDcsStr, unsigned mnNameDcsLenInBytes, bool mbIgnoreCase,
                         const char*& mrpsfzValueDcsStr, unsigned& mrnValueDcsLenInBytes);
    bool GetAttrValueU16n(const char* mpsfzNameDcsStr, unsigned mnNameDcsLenInBytes, bool mbIgnoreCase,
                          const char16_t*& mrpsfzValueU16nStr, unsigned& mrnValueU16nLenInChars);
    bool RemoveAttr(const char* mpszNameDcsStr, bool mbIgnoreCase);
    bool RemoveAttr(const char16_t* mpsfkNameU16nStr, unsigned mnNameU16nLenInChars, bool mbIgnoreCase);
    bool AttrExists(const char* mpszNameDcsStr, bool mbIgnoreCase) const;
    bool AttrExists(const char16_t* mpsfkNameU16nStr, unsigned mnNameU16nLenInChars, bool mbIgnoreCase) const;
    // The records marked for generated HTML, in list order; a record for which mpfSkip answers true is left out
    // (the element writes it in a form of its own).
    using SkipAttrFunc = bool (*)(const Attr& mrtAttr, const void* mpvContext);
    void GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtHtml, SkipAttrFunc mpfSkip = nullptr,
                                const void* mpvContext = nullptr) const;

    bool IsEmpty() const { return _ptFirstAttr == nullptr; }
    const Attr* GetFirstAttr() const { return _ptFirstAttr; }
    // Unlinks and frees the head record (the dump takes the records one by one).
    void RemoveFirstAttr();
    size_t GetCount() const;

    static constexpr size_t kIndexFrom = 8;
    bool IsIndexed() const { return _ptIndexes && _ptIndexes->_bRecordsIndexed; }
    // The index of the names of the attributes the element moved into its engine object, null until one is asked
    // to be made.
    KxwDomNameIndex<char16_t>* GetDumpedNames(bool mbCreate);

private:
    // Reports bad arguments and answers null; an empty name is reported at level 2 and creates nothing.
    Attr* CreateAttr(const char* mpsfzNameDcsStr, size_t mnNameDcsLenInBytes, const char* mpsfzValueDcsStrOrNULL,
                     size_t mnValueDcsLenInBytes, const char16_t* mpsfzkValueU16nStrOrNULL,
                     size_t mnValueU16nLenInChars, bool mbIncludeInInnerOuterHTML);
    void DestroyAttr(Attr* mptAttr);
    // The record of that name and its predecessor (null for the head); null when there is none.
    bool LocateAttrToRead(const char* mpsfzNameDcsStr, unsigned mnNameDcsLenInBytes, bool mbIgnoreCase,
                          const char* mpszCaller, Attr** mpptAttr, Attr** mpptPrevAttr);
    Attr* LocateAttr(const char* mpsfzNameDcsStr, size_t mnNameDcsLenInBytes, bool mbIgnoreCase,
                     Attr** mpptPrevAttr) const;
    void InsertAttrAsFirst(Attr* mptAttr);
    void RemoveAndDestroyAttr(Attr* mptAttr, Attr* mptPrevAttr);
    // Converts to DCS (or to UTF-16) with the environment's handler (windows-1252 without one).
    bool ConvertName(const char16_t* mpsfkNameU16nStr, unsigned mnNameU16nLenInChars, char*& mrpsfzNameDcsStr,
                     size_t& mrnLen) const;
    // Rebuilds mptAttr with both encodings at the head; answers the new record.
    Attr* ConvertAttr(Attr* mptAttr, Attr* mptPrevAttr);

    struct Indexes {
        explicit Indexes(KxwMemMgr* mptMemMgr) : _tRecords(mptMemMgr), _tDumped(mptMemMgr) {}
        KxwDomNameIndex<char> _tRecords;  // the entry of a record keeps its predecessor as its spare word
        KxwDomNameIndex<char16_t> _tDumped;
        bool _bRecordsIndexed = false;
        bool _bDumpedIndexed = false;
    };
    Indexes& MakeIndexes();
    void IndexRecords();
    KxwDomNameIndex<char>::Entry* EntryOf(const Attr* mptAttr) const;
    // The record after mptAttr in the list learns its new predecessor.
    void SetPredecessorOf(const Attr* mptAttr, Attr* mptPredecessor);

    KxwDomStrEnvApi& _rtStrEnv;
    Attr* _ptFirstAttr = nullptr;
    Indexes* _ptIndexes = nullptr;
};
