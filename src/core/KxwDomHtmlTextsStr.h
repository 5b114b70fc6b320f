// Builds markup text (innerHTML, outerHTML, snapshots) in one buffer: tags, attributes and escaped text are
// written straight into it.
#pragma once

#include <cstring>

#include "KxwUtilLargeStr.h"

class KxwDomHtmlPropertyStr;
class KxwDomHtmlPropertyNumLong;
class KxwDomHtmlPropertyBool;

class KxwDomHtmlTextsStr : public KxwUtilLargeStr<char> {
public:
    explicit KxwDomHtmlTextsStr(int miInitialAllocSize = 8192) : KxwUtilLargeStr<char>(miInitialAllocSize) {}

    void ConcatHtmlOpeningTagPrefix(const char* mpsfTagNameAscStr, int miTagNameAscLen);
    void ConcatHtmlOpeningTagSuffix() { Concat('>'); }
    void ConcatHtmlClosingTag(const char* mpsfTagNameAscStr, int miTagNameAscLen);
    void ConcatNewLine() { Concat("\r\n", 2); }
    // Text HTML-escaped, as markup shows it.
    void ConcatHtmlEscaped(const char* mpsfDcsStr, int miDcsLenInBytes);

    // ` name="value"` with the value escaped.
    void ConcatHtmlPropertyByValue(const char* mpsfPropertyNameDcsStr, int miPropertyNameDcsLenInBytes,
                                   const char* mpsfValueDcsStr, int miValueDcsLenInBytes);
    // ` name=42`, no quotes.
    void ConcatHtmlPropertyByValue(const char* mpsfPropertyNameDcsStr, int miPropertyNameDcsLenInBytes, long mliValue);
    // ` name` when true, nothing when false.
    void ConcatHtmlPropertyByValue(const char* mpsfPropertyNameDcsStr, int miPropertyNameDcsLenInBytes, bool mbValue);

    // A stored text, HTML-escaped or as it is; nothing when the property holds no text.
    void ConcatHtmlText(const KxwDomHtmlPropertyStr& mrtProperty);
    void ConcatHtmlTextAsIs(const KxwDomHtmlPropertyStr& mrtProperty);
    // Stored properties as attributes: a text is omitted when it is empty and not specified (a specified empty
    // one gives ` name=""`), a number when it is 0 and not specified, a boolean when it is false.
    void ConcatHtmlProperty(const char* mpsfPropertyNameDcsStr, int miPropertyNameDcsLenInBytes,
                            const KxwDomHtmlPropertyStr& mrtProperty);
    void ConcatHtmlProperty(const char* mpsfPropertyNameDcsStr, int miPropertyNameDcsLenInBytes,
                            const KxwDomHtmlPropertyNumLong& mrtProperty);
    void ConcatHtmlProperty(const char* mpsfPropertyNameDcsStr, int miPropertyNameDcsLenInBytes,
                            const KxwDomHtmlPropertyBool& mrtProperty);
    // The same with a fixed ASCII name.
    template <class TProperty>
    void ConcatHtmlProperty(const char* mpszPropertyNameAscStr, const TProperty& mrtProperty) {
        ConcatHtmlProperty(mpszPropertyNameAscStr, static_cast<int>(std::strlen(mpszPropertyNameAscStr)), mrtProperty);
    }

private:
    bool IsValidPropertyName(const char* mpsfPropertyNameDcsStr, int miPropertyNameDcsLenInBytes);
    void ConcatPropertyName(const char* mpsfPropertyNameDcsStr, int miPropertyNameDcsLenInBytes);
};
