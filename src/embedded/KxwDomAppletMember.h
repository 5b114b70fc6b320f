// A method of a running applet as the page's scripts see it: applet.add is a function, and calling it (as
// applet.add(1, 2), or kept in a variable) calls the applet's method of that name. It names the applet by its id,
// so a function kept after the applet went calls nothing and gives undefined.
#pragma once

#include <cstdint>
#include <string>

#include "KxwJswUserObjBase.h"

class KxwDomAppletMember : public KxwJswUserObjBase {
public:
    // Owned by its engine object from the start; null (reported) when the thread has no script engine.
    static KxwDomAppletMember* Create(uint64_t muAppletHandle, const char* mpszName);

    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetShouldBeDeletedAtFinalize() override { return true; }
    bool InvokeMethod(KxwJswCallArgs& mrtArgs) override;

private:
    KxwDomAppletMember(uint64_t muAppletHandle, const char* mpszName)
        : _uAppletHandle(muAppletHandle), _dsName(mpszName) {}

    uint64_t _uAppletHandle;
    std::string _dsName;
};
