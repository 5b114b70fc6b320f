// UTF-16 conversion services: a KxwU16nHandler converts between the document character set of a page (DCS: bytes,
// lengths in bytes) and UTF-16 (lengths in 16-bit units) for one charset.
#pragma once

#include <cstddef>
#include <string>

#include "kxw/KxwExport.h"

// The interface every string reaches through its environment. Conversions never fail: a byte sequence that is not
// valid in the charset becomes U+FFFD, and a character the charset cannot encode becomes its substitute ('?', or
// U+FFFD for UTF-8). Lone surrogates are such characters.
class KXW_API KxwU16nHandler {
public:
    virtual ~KxwU16nHandler() = default;

    // The canonical (lower-case, registry) name of the charset actually used, such as "windows-1252".
    virtual const char* GetCharsetName() const = 0;

    // Upper bounds of the output of converting mnLen input units; a buffer of that size always takes the whole
    // result.
    virtual size_t GetMaxU16nLenInChars(size_t mnDcsLenInBytes) const = 0;
    virtual size_t GetMaxDcsLenInBytes(size_t mnU16nLenInChars) const = 0;

    // Convert and return the number of units written (no terminator). They never write beyond mnBufLen; the
    // result is complete when mnBufLen is at least the bound above.
    virtual size_t ConvertDcsToU16n(const char* mpsfDcsStr, size_t mnDcsLenInBytes, char16_t* mpwBuf,
                                    size_t mnBufLen) = 0;
    virtual size_t ConvertU16nToDcs(const char16_t* mpwU16nStr, size_t mnU16nLenInChars, char* mpsfBuf,
                                    size_t mnBufLen) = 0;

    // True when a byte below 0x80 is always the ASCII character, wherever it stands (UTF-8, the single-byte
    // charsets, EUC-JP). Shift_JIS, GBK, Big5 and ISO-2022-JP use such bytes inside multi-byte characters, so byte-wise
    // ASCII work (case folding, escaping) is safe there only on text without bytes >= 0x80 and without ESC.
    virtual bool IsAsciiTransparent() const = 0;
};

// The handler for one charset named by the page, the response or the script. Unknown names fall back to
// windows-1252 (the default, also for a null name) with a report. us-ascii, iso-8859-1, windows-1252 and utf-8 are
// converted directly; the other charsets through iconv, whose descriptors are opened on first use and belong to
// this instance alone (an iconv descriptor is not thread-safe, and a handler serves one virtual-user thread).
// Bytes 0x80..0x9F that a Windows code page leaves unassigned stand for the C1 control of the same value, as in
// the platform's own conversion, so every byte of a single-byte page survives a round trip.
class KXW_API KxwU16nHandlerGeneral : public KxwU16nHandler {
public:
    explicit KxwU16nHandlerGeneral(const char* mpszCharset = nullptr);
    KxwU16nHandlerGeneral(const char* mpsfCharset, size_t mnCharsetLen);
    ~KxwU16nHandlerGeneral() override;
    KxwU16nHandlerGeneral(const KxwU16nHandlerGeneral&) = delete;
    KxwU16nHandlerGeneral& operator=(const KxwU16nHandlerGeneral&) = delete;

    // Switches to another charset (a navigation to a page with another charset reuses the window's handler).
    void Reset(const char* mpsfCharset, size_t mnCharsetLen);
    void Reset(const char* mpszCharset);

    // True when the name asked for was not recognised and windows-1252 is used instead.
    bool IsFallback() const { return _bIsFallback; }

    const char* GetCharsetName() const override;
    size_t GetMaxU16nLenInChars(size_t mnDcsLenInBytes) const override;
    size_t GetMaxDcsLenInBytes(size_t mnU16nLenInChars) const override;
    size_t ConvertDcsToU16n(const char* mpsfDcsStr, size_t mnDcsLenInBytes, char16_t* mpwBuf, size_t mnBufLen) override;
    size_t ConvertU16nToDcs(const char16_t* mpwU16nStr, size_t mnU16nLenInChars, char* mpsfBuf,
                            size_t mnBufLen) override;
    bool IsAsciiTransparent() const override;

    struct CharsetInfo;

private:
    void CloseDescriptors();
    bool OpenDescriptors();
    bool IsUnassignedC1Byte(unsigned char mucByte);

    const CharsetInfo* _ptCharset;
    void* _pvToU16n = nullptr;    // iconv_t from the charset to UTF-16, opened on first use
    void* _pvFromU16n = nullptr;  // iconv_t from UTF-16 to the charset
    bool _bIsFallback = false;
};

// Process-wide handlers for windows-1252 (strings without a handler) and UTF-8. Both are stateless, so any thread
// may use them at the same time.
KXW_API KxwU16nHandler* xfptKxwU16nHandlerGetDefault();
KXW_API KxwU16nHandler* xfptKxwU16nHandlerGetUtf8();

// The canonical name for a charset label ("UTF8", "x-sjis", "latin1" ...), or null when the label is unknown.
KXW_API const char* xfpszKxwU16nGetCanonicalCharsetName(const char* mpsfLabel, size_t mnLabelLen);

// The longest beginning of a DCS text that takes at most mnMaxBytes bytes and ends between two characters of the
// handler's charset (a null handler: windows-1252), for texts cut to the precision of a log line. UTF-8 and the
// single-byte charsets are cut in place; the others are converted again from UTF-16, so that a stateful charset
// ends in its initial state.
KXW_API std::string xfdsKxwU16nCutDcsAtCharBoundary(KxwU16nHandler* mptHandler, const char* mpsfDcsStr, size_t mnLen,
                                                    size_t mnMaxBytes);
