// The style objects of an element (script class "styleprop"): style, currentStyle and runtimeStyle. Nothing is
// rendered, so a style object keeps what the markup and the scripts said: the declarations of the style text and
// the values that scripts assign. Sizes and positions come from the recorded layout when it has them.
//
// The declarations of the style text, when the run-time setting for script style properties is on, become script
// properties of the style object. A declaration whose name is one of the class's own properties (color, width,
// display ...) is kept as that property's stored value, so that the property reads the text's value until a script
// assigns another, and cssText shows what the property holds; any other declaration (fontSize, zIndex ...) is an own
// property of the engine object, as scripts add them. cssText is composed from both. With the setting off, the
// style text is kept as it was written and only the assigned values are added to cssText.
//
// currentStyle answers as the emulated browser's cascade would without style sheets: its own recorded or assigned
// value, else runtimeStyle's, else the element's style.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "KxwDomBase.h"
#include "KxwDomHtmlProperty.h"
#include "KxwDomStr.h"

class KxwDomHtmlElement;
struct KxwJswMethodSpec;

class KxwDomHtmlStyle : public KxwDomBase {
public:
    enum StyleType { KXW_STYLE_TYPE_STYLE = 0, KXW_STYLE_TYPE_CURRENT_STYLE = 1, KXW_STYLE_TYPE_RUNTIME_STYLE = 2 };

    KxwDomHtmlStyle(KxwMemMgr* mptMemMgr, KxwU16nHandler* mptU16nHandler, KxwDomHtmlElement* mptOwner,
                    StyleType meStyleType);
    ~KxwDomHtmlStyle() override;

    StyleType GetStyleType() const { return _eStyleType; }
    KxwDomHtmlElement* GetOwner() const { return _ptOwner; }

    // ---- The style text ----
    // The style attribute from the markup (DCS). With the setting on, its declarations are read at once.
    void SetStyleParsed(const char* mpszParsedValue);
    // A new text for the whole style (cssText, setAttribute("style")): every declaration and assigned value goes,
    // the new text's come.
    void SetCssTextU16n(const char16_t* mpwsfText, unsigned muLen);
    // The text cssText shows now (composed as the class comment says).
    const KxwDomStr& GetStyleStr();
    // The same as the text the element's style attribute holds now, for generated markup; null when the style is
    // empty and the element was given no style attribute.
    const KxwDomHtmlPropertyStr* GetComposedStyleText(bool mbAttributeGiven);

    // ---- Behaviours ----
    // The first behavior declaration's url, quotes of either kind removed; false when there is none or it names a
    // behaviour of the page itself ('#').
    static bool FindBehaviorUrl(const char* mpsfText, size_t mnLen, std::string& mrdsUrl);
    // Asks for the behaviour that the style text names (notification 27 with the element and the URL).
    static bool RequestBehavior(KxwDomHtmlElement& mrtOwner, const char* mpsfText, size_t mnLen);
    void ApplyBehaviors();

    // ---- Names and the text's declarations ----
    struct Declaration {
        std::string _dsName;  // as written
        std::string _dsValue;
    };
    // The declarations of a style text: "name: value" separated by ';', where a ';' inside quotes or inside
    // url(...) belongs to the value. A name without ':' ends with an empty value at a ';' and is dropped at the
    // end of the text; empty names are skipped.
    static void ParseStyleAttributes(const char* mpsfText, size_t mnLen, std::vector<Declaration>& mrtDeclarations);
    // font-size -> fontSize for every name (a hyphen goes, the next letter is upper case), with the names that
    // differ (float -> styleFloat, scrollbar-3dlight-color, scrollbar-darkshadow-color); the name in lower case.
    static std::string CssNameToScriptName(const std::string& mrdsCssName);
    // The reverse: fontSize -> font-size.
    static std::string ScriptNameToCssName(const std::string& mrdsScriptName);

    // ---- Computed style (getComputedStyle, getPropertyValue) ----
    // The value of a CSS or script property name as this object reads it; false when it has none.
    bool GetPropertyValueByName(const std::string& mrdsScriptName, std::u16string& mrdsValue);

    // The object as scripts get it: its engine object, with the text's declarations defined on it. False without
    // a script engine.
    bool PrepareForScript();

    // ---- The wrapper's operations ----
    // The element owns its style objects; the element's engine object traces theirs.
    bool GetShouldBeDeletedAtFinalize() override { return false; }
    bool GetShouldAddJSRoot() override { return false; }
    const KxwJswClassInformation* GetClassInformation() const override;
    static const KxwJswClassInformation& GetStyleClassInformation();
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    // currentStyle's names the class has no property for: the element's style declarations of those names.
    bool IsResolved(const char* mpszName) override;
    bool GetPropertyByName(const char* mpszName, void** mppvValue, unsigned* mpnLength,
                           KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;

    // Whether the initial run-time settings turn style declarations into script properties.
    static bool IsScriptStylePropertiesOn();

private:
    // A value a script assigned, or the style text gave, to one of the class's properties.
    struct StoredValue {
        bool _bIsLong = false;
        long _liValue = 0;
        std::u16string _dsText;
    };

    const StoredValue* GetLayoutProperty(short mnTinyId) const;
    bool SetLayoutPropertyVal(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo);
    bool GetLayoutPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo);
    // The value of a property that no recorded layout answers: this object's, else (currentStyle) runtimeStyle's
    // or style's.
    const StoredValue* FindStoredValue(short mnTinyId) const;
    // The text's declarations: those of the class's properties as stored values, the others for the engine object.
    void TakeDeclarations(const char* mpsfText, size_t mnLen);
    void DefinePendingDeclarations();
    std::u16string ToU16n(const char* mpsfDcs, size_t mnLen);
    void AssignTemporaryText(KxwDomPropertyInfo& mrtPropertyInfo, std::u16string&& mrdsText);

    KxwDomHtmlPropertyStr _tStyleText;
    KxwDomHtmlElement* _ptOwner;
    KxwDomStr _tCssText;
    KxwDomHtmlPropertyStr _tComposedText;
    std::map<short, StoredValue> _tLayoutProperties;
    // Declarations of names the class does not have, waiting for the engine object (script name, value).
    std::vector<std::pair<std::u16string, std::u16string>> _tPendingDeclarations;
    std::u16string _dsTemporary;
    StyleType _eStyleType;
};
