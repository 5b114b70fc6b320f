// What a user action carries to the events it causes: where the pointer was, the key and its modifier, the element
// the action came from, for a click on an image map or image button the coordinate pair clicked ("x,y"), and what
// else the action carries (the text a user typed).
#pragma once

#include <cstdint>
#include <string>

class KxwDomEventTarget;

class KxwDomEventData {
public:
    KxwDomEventData() = default;
    explicit KxwDomEventData(KxwDomEventTarget* mptOriginatingElement) : _ptOriginatingElement(mptOriginatingElement) {}

    int32_t GetX() const { return _iX; }
    int32_t GetY() const { return _iY; }
    int32_t GetOffsetX() const { return _iOffsetX; }
    int32_t GetOffsetY() const { return _iOffsetY; }
    void SetPosition(int32_t miX, int32_t miY) {
        _iX = miX;
        _iY = miY;
    }
    void SetOffset(int32_t miOffsetX, int32_t miOffsetY) {
        _iOffsetX = miOffsetX;
        _iOffsetY = miOffsetY;
    }
    uint8_t GetKeyCode() const { return _ucKeyCode; }
    void SetKeyCode(uint8_t mucKeyCode) { _ucKeyCode = mucKeyCode; }
    bool GetCtrlKey() const { return _bCtrlKey; }
    void SetCtrlKey(bool mbCtrlKey) { _bCtrlKey = mbCtrlKey; }
    KxwDomEventTarget* GetOriginatingElement() const { return _ptOriginatingElement; }
    void SetOriginatingElement(KxwDomEventTarget* mptElement) { _ptOriginatingElement = mptElement; }
    const std::string& GetMapImageCoordinates() const { return _dsMapImageCoordinates; }
    void SetMapImageCoordinates(const std::string& mdsCoordinates) { _dsMapImageCoordinates = mdsCoordinates; }
    // What the action carries beyond the pointer and the key (the text a user typed), owned by the caller.
    const void* GetAdditionalData() const { return _pvAdditionalData; }
    void SetAdditionalData(const void* mpvAdditionalData) { _pvAdditionalData = mpvAdditionalData; }

private:
    int32_t _iX = 1;
    int32_t _iY = 1;
    int32_t _iOffsetX = 1;
    int32_t _iOffsetY = 1;
    uint8_t _ucKeyCode = 13;
    bool _bCtrlKey = false;
    uint16_t _uReserved = 0;
    KxwDomEventTarget* _ptOriginatingElement = nullptr;
    std::string _dsMapImageCoordinates;
    const void* _pvAdditionalData = nullptr;
};
