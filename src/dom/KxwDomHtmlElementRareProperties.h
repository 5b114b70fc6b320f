// The properties most elements never set, made on the first store: the element's own files share the layout.
#pragma once

#include "KxwDomHtmlElement.h"
#include "KxwDomHtmlProperty.h"

class KxwDomHtcDocument;
class KxwDomHtmlStyle;

struct KxwDomHtmlElement::RareProperties {
    explicit RareProperties(KxwDomEnv& mrtDomEnv)
        : _tTitle(mrtDomEnv), _tLang(mrtDomEnv), _tAccessKey(mrtDomEnv), _tDir(mrtDomEnv) {}
    KxwDomHtmlPropertyStr _tTitle;
    KxwDomHtmlPropertyStr _tLang;
    KxwDomHtmlPropertyStr _tAccessKey;
    KxwDomHtmlPropertyStr _tDir;
    KxwDomHtmlPropertyNumLong _tTabIndex;
    // style, currentStyle and runtimeStyle, made on first use and owned here.
    KxwDomHtmlStyle* _aptStyles[3] = {};
    // The behaviour, owned here.
    KxwDomHtcDocument* _ptBehavior = nullptr;
};
