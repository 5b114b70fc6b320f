// The rectangles scripts get from getBoundingClientRect and getClientRects. Nothing is laid out, so every element
// answers the same small rectangle; a rectangle and a list of them belong to their engine objects from the start.
#pragma once

#include "KxwDomBase.h"

class KxwDomTextRectangle : public KxwDomBase {
public:
    // A new rectangle owned by its engine object; null (reported) without a script engine on this thread.
    static KxwDomTextRectangle* Create(int miLeft, int miTop, int miRight, int miBottom);

    int GetLeft() const { return _iLeft; }
    int GetTop() const { return _iTop; }
    int GetRight() const { return _iRight; }
    int GetBottom() const { return _iBottom; }

    bool GetShouldBeDeletedAtFinalize() override { return true; }
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;

private:
    KxwDomTextRectangle(int miLeft, int miTop, int miRight, int miBottom);

    int _iLeft, _iTop, _iRight, _iBottom;
};

// A list of rectangles ("length" and indexes); it keeps its rectangle alive while it lives.
class KxwDomTextRectangleList : public KxwDomBase {
public:
    // A new list holding mptRectangle (when not null), owned by its engine object; null without an engine.
    static KxwDomTextRectangleList* Create(KxwDomTextRectangle* mptRectangle);

    bool GetShouldBeDeletedAtFinalize() override { return true; }
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool GetPropByIndex(int32_t mnIndex, void** mppvValue, unsigned* mpnLength,
                        KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) override;
    void GetEnumerableItems(unsigned long& mruliIndexCount, std::vector<std::string>& mrtNames) override;
    void TraceFromJsiObj(KxwJswTracer& mrtTracer) override;

private:
    explicit KxwDomTextRectangleList(KxwDomTextRectangle* mptRectangle);

    KxwDomTextRectangle* _ptRectangle;
};
