// What the weak stand-ins for the submitted form's interface (kxw/KxwDomForms.h) answer while the library does not
// define it yet: one form's values, set by a test. The stand-ins and this header go when the library's forms come.
#pragma once

#include <string>

struct KxwDomFormsPlaceholderForm {
    std::string _dsAction;
    std::string _dsTarget;
    bool _bPost = false;
    std::string _dsContentType;
    std::string _dsBody;
    bool _bJavaScriptSubmit = false;
};

// The answers for every form (of the calling thread's tests).
KxwDomFormsPlaceholderForm& xfrtKxwDomFormsPlaceholder();
