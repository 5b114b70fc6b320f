// Weak stand-ins for the submitted form's interface, so that the engine links before the library defines it: they
// answer what a test set (see KxwDomFormsPlaceholder.h). The library's own definitions take their place; this file
// is removed when they come.
#include "KxwDomFormsPlaceholder.h"

#include "kxw/KxwDomForms.h"

KxwDomFormsPlaceholderForm& xfrtKxwDomFormsPlaceholder() {
    static thread_local KxwDomFormsPlaceholderForm tForm;
    return tForm;
}

__attribute__((weak)) std::string xfdsKxwDomFormGetAction(KxwDomNodeBase* mptForm) {
    return mptForm ? xfrtKxwDomFormsPlaceholder()._dsAction : std::string();
}
__attribute__((weak)) std::string xfdsKxwDomFormGetTarget(KxwDomNodeBase* mptForm) {
    return mptForm ? xfrtKxwDomFormsPlaceholder()._dsTarget : std::string();
}
__attribute__((weak)) bool xfbKxwDomFormIsPost(KxwDomNodeBase* mptForm) {
    return mptForm && xfrtKxwDomFormsPlaceholder()._bPost;
}
__attribute__((weak)) std::string xfdsKxwDomFormGetContentType(KxwDomNodeBase* mptForm) {
    return mptForm ? xfrtKxwDomFormsPlaceholder()._dsContentType : std::string();
}
__attribute__((weak)) std::string xfdsKxwDomFormGetBody(KxwDomNodeBase* mptForm) {
    return mptForm ? xfrtKxwDomFormsPlaceholder()._dsBody : std::string();
}
__attribute__((weak)) bool xfbKxwDomFormIsJavaScriptSubmit(KxwDomNodeBase* mptForm) {
    return mptForm && xfrtKxwDomFormsPlaceholder()._bJavaScriptSubmit;
}
