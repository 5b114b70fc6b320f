// The background image that TABLE, TD and TH take from their markup and from scripts: the attribute's text as it
// was written, with the accessors the element classes share.
#pragma once

#include "KxwDomEnv.h"
#include "KxwDomHtmlProperty.h"

class KxwDomHtmlTableBackground {
public:
    explicit KxwDomHtmlTableBackground(KxwDomEnv& mrtDomEnv) : _tBackground(mrtDomEnv) {}

    const KxwDomHtmlPropertyStr& GetBackground() const { return _tBackground; }
    void SetBackgroundDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes) {
        _tBackground.SetDcs(mpsfDcsStr, muDcsLenInBytes);
    }
    void SetBackgroundU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) {
        _tBackground.SetU16n(mpwsfU16nStr, muU16nLenInChars);
    }
    // A value-less attribute is the empty text.
    void SetBackgroundParsed(const char* mpszParsedValue) {
        _tBackground.SetParsed(mpszParsedValue ? mpszParsedValue : "");
    }
    bool IsSpecifiedBackground() const { return _tBackground.IsSpecified(); }
    bool IsEmptyBackground() const { return _tBackground.IsEmpty(); }

protected:
    KxwDomHtmlPropertyStr _tBackground;
};
