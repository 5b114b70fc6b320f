// The text attributes an embedded element reflects as script properties (code, codeBase, archive, classid),
// declared once per class as a table of the attribute's name, its property's tiny id and the member that holds it:
// the parser's attributes, the script's reads and writes, generated markup and clones all go through that table.
#pragma once

#include <strings.h>

#include <cstddef>

#include "KxwDomHtmlProperty.h"

template <class T>
struct KxwDomReflectedText {
    const char* _pszAttributeName;  // as markup writes it; the parser's name is compared ignoring ASCII case
    short _nTinyId;
    KxwDomHtmlPropertyStr T::*_ptMember;
};

template <class T, size_t N>
const KxwDomReflectedText<T>* xfptKxwDomReflectedTextById(const KxwDomReflectedText<T> (&matTexts)[N], short mnTinyId) {
    for (const KxwDomReflectedText<T>& rtText : matTexts)
        if (rtText._nTinyId == mnTinyId) return &rtText;
    return nullptr;
}

template <class T, size_t N>
const KxwDomReflectedText<T>* xfptKxwDomReflectedTextByName(const KxwDomReflectedText<T> (&matTexts)[N],
                                                            const char* mpszAttributeName) {
    for (const KxwDomReflectedText<T>& rtText : matTexts)
        if (mpszAttributeName && strcasecmp(rtText._pszAttributeName, mpszAttributeName) == 0) return &rtText;
    return nullptr;
}
