// getComputedStyle of the Netscape emulation (window.getComputedStyle(element, pseudo)): nothing is laid out, so
// the computed style of an element is what its currentStyle answers (the recorded layout, else the element's own
// style). The function is a callable object made for each read, owned by its engine object; Internet Explorer
// emulation has no such function, and its pages read currentStyle themselves.
#pragma once

#include "KxwDomBase.h"

class KxwDomComputedStyleFunction : public KxwDomBase {
public:
    // Whether the window has the function in the emulated browser.
    static bool IsAvailable();
    // A new function as a value triple; false (with a failed triple) when there is no script engine.
    static bool Create(void** mppvValue, unsigned* mpnLength, KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType);

    bool GetShouldBeDeletedAtFinalize() override { return true; }
    const KxwJswClassInformation* GetClassInformation() const override;
    bool InvokeMethod(KxwJswCallArgs& mrtArgs) override;

private:
    KxwDomComputedStyleFunction();
};
