// KxwUtilSubmitDataBody: the body of a form submission. The form adds its name/value pairs in order; the body
// writes them as application/x-www-form-urlencoded, multipart/form-data or text/plain, in the request charset.
//
// Design choices where browsers differ or the form leaves it open:
// - "@" is written as %40 in urlencoded bodies by both the ALWAYS and the BY_BROWSER modes, whatever the browser
//   family: both families encode it; only NEVER leaves it as it is.
// - In text/plain bodies CR and LF inside names and values are kept, as browsers keep them: the body is what the
//   user typed, and a server reading it line by line sees the same as from a browser.
// - A file pair's base name is what follows the last '/' of its path.
// - Bytes given by AddNameAndValueOK are written as they are (they are in the request charset already, or UTF-8 on
//   a UTF-8 page, whose request charset is UTF-8). A file pair's path in the request charset is converted to UTF-8
//   to open the file, so that a step's file with a name beyond ASCII is found on a page of another charset; a
//   UTF-16 path is kept in UTF-8.
#pragma once

#include <random>
#include <string>
#include <vector>

#include "KxwU16nHandler.h"
#include "kxw/KxwiRunTimeSettings.h"

class KxwVUserVars;

enum KXW_UTIL_ENC_TYPE_ENUM {
    KXW_UTIL_ENC_TYPE_URLENCODED = 0,
    KXW_UTIL_ENC_TYPE_MULTIPART = 1,
    KXW_UTIL_ENC_TYPE_TEXT_PLAIN = 2
};
enum KXW_UTIL_ENCODE_AT_SIGN_ENUM {
    KXW_UTIL_ENCODE_AT_SIGN_NEVER = 0,
    KXW_UTIL_ENCODE_AT_SIGN_ALWAYS = 1,
    KXW_UTIL_ENCODE_AT_SIGN_BY_BROWSER = 2
};

class KXW_API KxwUtilSubmitDataBody {
public:
    explicit KxwUtilSubmitDataBody(KxwVUserVars* mptVUserVars = nullptr);
    // The charset converter holds its own iconv descriptors: a body is not copied.
    KxwUtilSubmitDataBody(const KxwUtilSubmitDataBody&) = delete;
    KxwUtilSubmitDataBody& operator=(const KxwUtilSubmitDataBody&) = delete;

    void Reset();  // drops the pairs (keeps encoding and charset)
    void SetEncType(KXW_UTIL_ENC_TYPE_ENUM meEncType);
    KXW_UTIL_ENC_TYPE_ENUM GetEncType() const { return _eEncType; }
    // A charset name as pages give it; null or "" = windows-1252. A name no converter knows is reported once and
    // windows-1252 is used.
    void SetRequestConversionCharset(const char* mpszCharset);
    // The canonical name of the charset actually used ("windows-1252" for an unknown name).
    const char* GetRequestConversionCharset() const { return _tConverter.GetCharsetName(); }

    // Bytes as they are: in the request charset when mbInRequestCharset, else UTF-8 already (a UTF-8 page); written
    // unchanged. A file pair's value is the path of the file to send. False (reported) for a null text with a length.
    bool AddNameAndValueOK(const char* mpsfName, unsigned muNameLen, const char* mpsfValue, unsigned muValueLen,
                           bool mbIsFile, KXWI_BROWSER_MAJOR_TYPE_ENUM meBrowser, KXW_UTIL_ENCODE_AT_SIGN_ENUM meAtSign,
                           bool mbInRequestCharset);
    // UTF-16 text converted to the request charset; a character the charset cannot hold becomes "&#N;" (N decimal
    // code point, surrogate pairs as one), as browsers do.
    bool AddNameAndValueU16nOK(const char16_t* mpwName, unsigned muNameLen, const char16_t* mpwValue,
                               unsigned muValueLen, bool mbIsFile, KXWI_BROWSER_MAJOR_TYPE_ENUM meBrowser,
                               KXW_UTIL_ENCODE_AT_SIGN_ENUM meAtSign);

    unsigned GetPairCount() const { return static_cast<unsigned>(_tPairs.size()); }
    bool IsEmpty() const { return _tPairs.empty(); }
    const std::string& GetName(unsigned muIndex) const;  // the pair's bytes (for traces); "" past the end
    const std::string& GetValue(unsigned muIndex) const;
    bool IsFile(unsigned muIndex) const;

    // The rendered body. A multipart body reads its files here; its boundary is chosen at the first rendering
    // after a change and kept (for GetContentType too) until the next change.
    std::string GetBody() const;
    // "application/x-www-form-urlencoded", "multipart/form-data; boundary=<b>", "text/plain".
    std::string GetContentType() const;

    // A multipart boundary drawn from a generator (exposed so that tests can foresee the boundary of a seed).
    static std::string MakeBoundary(std::mt19937& mrtRandom);
    // The Content-Type of a file part, by the extension of its name (ASCII case ignored).
    static const char* GetFileContentType(const std::string& mdsFileName);

private:
    struct Pair {
        std::string _dsName;
        std::string _dsValue;
        bool _bIsFile = false;
        bool _bEncodeAtSign = true;
        bool _bInRequestCharset = true;  // else UTF-8
    };
    // A multipart part's file, as it was read for one rendering.
    struct FilePart {
        std::string _dsBaseName;
        std::string _dsContent;
    };

    void Changed() { _bRendered = false; }
    void Render() const;
    void RenderUrlEncoded() const;
    void RenderTextPlain() const;
    void RenderMultipart() const;
    std::string DrawBoundary() const;
    // The path a file pair's file is opened by: the system names files in UTF-8.
    std::string PathOf(const Pair& mrtPair) const;
    // The request charset's bytes for a UTF-16 text, "&#N;" for what it cannot hold.
    std::string ConvertToRequestCharset(const char16_t* mpwText, unsigned muLen);

    KxwVUserVars* _ptVUserVars;
    KXW_UTIL_ENC_TYPE_ENUM _eEncType = KXW_UTIL_ENC_TYPE_URLENCODED;
    std::string _dsCharsetAsGiven;
    mutable KxwU16nHandlerGeneral _tConverter;  // of that name (windows-1252 by default); converting moves its state
    std::vector<Pair> _tPairs;
    // The last rendering, valid while nothing changed.
    mutable bool _bRendered = false;
    mutable std::string _dsBody;
    mutable std::string _dsBoundary;
    // Boundaries without a virtual user: fixed-seed, so that runs repeat.
    mutable std::mt19937 _tLocalRandom{0x4B58574Du};
};
