// The rectangles scripts get from getBoundingClientRect and getClientRects. Nothing is laid out, so every element
// answers the same small rectangle; scripts may assign its four sides and read back what they assigned. A
// rectangle and a list of them belong to their engine objects from the start.
#pragma once

#include "KxwDomBase.h"
#include "KxwDomHtmlProperty.h"

class KxwDomTextRectangle : public KxwDomBase {
public:
    // A new rectangle owned by its engine object, its sides not specified; null (reported) without a script engine
    // on this thread.
    static KxwDomTextRectangle* Create(long mliTop, long mliLeft, long mliRight, long mliBottom);
    ~KxwDomTextRectangle() override;

    const KxwDomHtmlPropertyNumLong& GetTop() const { return _tTop; }
    const KxwDomHtmlPropertyNumLong& GetLeft() const { return _tLeft; }
    const KxwDomHtmlPropertyNumLong& GetRight() const { return _tRight; }
    const KxwDomHtmlPropertyNumLong& GetBottom() const { return _tBottom; }
    long GetLongTop() const { return _tTop.GetLong(); }
    long GetLongLeft() const { return _tLeft.GetLong(); }
    long GetLongRight() const { return _tRight.GetLong(); }
    long GetLongBottom() const { return _tBottom.GetLong(); }
    void SetTopParsed(const char* mpszParsedValue) { _tTop.SetParsed(mpszParsedValue); }
    void SetLeftParsed(const char* mpszParsedValue) { _tLeft.SetParsed(mpszParsedValue); }
    void SetRightParsed(const char* mpszParsedValue) { _tRight.SetParsed(mpszParsedValue); }
    void SetBottomParsed(const char* mpszParsedValue) { _tBottom.SetParsed(mpszParsedValue); }
    bool IsSpecifiedTop() const { return _tTop.IsSpecified(); }
    bool IsSpecifiedLeft() const { return _tLeft.IsSpecified(); }
    bool IsSpecifiedRight() const { return _tRight.IsSpecified(); }
    bool IsSpecifiedBottom() const { return _tBottom.IsSpecified(); }

    bool GetShouldBeDeletedAtFinalize() override { return true; }
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    // A side takes a script's number; no value clears its mark and keeps the number.
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;

private:
    KxwDomTextRectangle(long mliTop, long mliLeft, long mliRight, long mliBottom);
    // The side a tiny id names, or null.
    KxwDomHtmlPropertyNumLong* Side(short mnTinyId);

    KxwDomHtmlPropertyNumLong _tTop;
    KxwDomHtmlPropertyNumLong _tLeft;
    KxwDomHtmlPropertyNumLong _tRight;
    KxwDomHtmlPropertyNumLong _tBottom;
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
