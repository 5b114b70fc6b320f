// The navigator, screen and external objects of a top window (script classes "Navigator", "Screen" and
// "External"): fixed or configured answers about the emulated browser and its screen. One of each per top window,
// which owns them; a frame's window gives its top window's. The values come from the virtual user's run-time
// settings: the navigator's texts are computed on their first read and kept, the screen's numbers are read each
// time, and the external object's methods do nothing.
#pragma once

#include <cstdint>
#include <string>

#include "KxwDomBase.h"
#include "kxw/KxwiRunTimeSettings.h"

class KxwDomHtmlTopWindow;

class KxwDomHtmlNavigator : public KxwDomBase {
public:
    explicit KxwDomHtmlNavigator(KxwDomHtmlTopWindow* mptTopWindow);

    // The browser major type of the settings (read once, at the first need): 2 Internet Explorer, 3 Netscape.
    bool IsIE();
    bool IsNS();
    // The texts scripts read, each computed on its first read and kept.
    const std::u16string& GetUserAgent();
    const std::u16string& GetAppName();
    const std::u16string& GetAppCodeName();
    const std::u16string& GetAppVersion();
    const std::u16string& GetAppMinorVersion();
    // What javaEnabled() answers: the settings' Java switch (read each time), false without settings.
    bool IsJavaEnabled() const;

    // ---- The wrapper's operations ----
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool GetShouldBeDeletedAtFinalize() override { return false; }

private:
    // The kept texts, by what they answer.
    enum KXW_NAVIGATOR_TEXT_ENUM : unsigned {
        kTextUserAgent = 0,
        kTextAppName,
        kTextAppCodeName,
        kTextAppVersion,
        kTextAppMinorVersion,
        kTextBrowserLanguage,
        kTextSystemLanguage,
        kTextUserLanguage,
        kTextPlatform,
        kTextCount,
    };
    const std::u16string& Text(KXW_NAVIGATOR_TEXT_ENUM meText);
    std::u16string ComputeText(KXW_NAVIGATOR_TEXT_ENUM meText);
    KXWI_BROWSER_MAJOR_TYPE_ENUM GetBrowserMajorType();

    int32_t _eBrowserMajorType = 0;  // 0 until read from the settings
    uint32_t _uComputedTexts = 0;    // one bit per KXW_NAVIGATOR_TEXT_ENUM
    std::u16string _atTexts[kTextCount];
};

class KxwDomHtmlScreen : public KxwDomBase {
public:
    explicit KxwDomHtmlScreen(KxwDomHtmlTopWindow* mptTopWindow);

    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool GetShouldBeDeletedAtFinalize() override { return false; }
};

class KxwDomHtmlExternal : public KxwDomBase {
public:
    explicit KxwDomHtmlExternal(KxwDomHtmlTopWindow* mptTopWindow);

    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetShouldBeDeletedAtFinalize() override { return false; }
};
