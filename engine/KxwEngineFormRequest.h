// The request of a submitted form, as the engine loads it: what the form gave (its action resolved against the
// document's base, the method, the body and its content type) turned into a URL, a method and a body.
#pragma once

#include <string>

struct KxwEngineFormSubmission {
    std::string _dsAction;  // absolute: the resolved action, or the document's URL for an empty one
    bool _bPost = false;
    std::string _dsBody;
    std::string _dsContentType;  // of a POST; application/x-www-form-urlencoded when empty
};

enum KXW_ENGINE_FORM_REQUEST_KIND_ENUM {
    KXW_ENGINE_FORM_REQUEST_LOAD = 0,         // a page load (GET or POST)
    KXW_ENGINE_FORM_REQUEST_JAVASCRIPT = 1,   // a javascript: action: its code runs in the target window
    KXW_ENGINE_FORM_REQUEST_UNSUPPORTED = 2,  // a scheme the engine cannot load (mailto:, data:, ...)
};

struct KxwEngineFormRequest {
    KXW_ENGINE_FORM_REQUEST_KIND_ENUM _eKind = KXW_ENGINE_FORM_REQUEST_UNSUPPORTED;
    std::string _dsUrl;
    bool _bPost = false;
    std::string _dsBody;         // POST
    std::string _dsContentType;  // POST
};

// A GET sends the body as the query of the action without its own query and fragment, always after a "?" (an
// empty form still ends the URL with "?", as browsers send it); a POST sends the body to the action as it is.
KxwEngineFormRequest xftKxwEngineBuildFormRequest(const KxwEngineFormSubmission& mrtSubmission);
