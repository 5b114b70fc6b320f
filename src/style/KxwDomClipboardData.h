// The clipboard (script class "clipboardData"): one per virtual user, kept by its object manager, so that every
// window and frame of the virtual user sees the same text and the text survives navigation. It is never connected
// to a clipboard of the machine: what one virtual user copies no other sees. Only the "Text" format is kept; the
// full iteration reset empties it.
#pragma once

#include "KxwDomBase.h"
#include "KxwDomHtmlProperty.h"

class KxwDomClipboardData : public KxwDomBase {
public:
    explicit KxwDomClipboardData(KxwDomEnv& mrtDomEnv);
    ~KxwDomClipboardData() override;

    const KxwDomHtmlPropertyStr& GetText() const { return _tText; }
    void SetTextU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars);
    // The text becomes empty.
    void Reset();

    // Whether a format names the one format the clipboard keeps ("Text", ASCII case ignored).
    static bool IsTextFormat(const std::u16string& mrdsFormat);

    bool GetShouldBeDeletedAtFinalize() override { return false; }
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;

private:
    KxwDomHtmlPropertyStr _tText;
};
