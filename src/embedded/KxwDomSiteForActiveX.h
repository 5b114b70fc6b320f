// The container a window's controls see: one per window, made when a control is first sited, reference counted
// (a control may keep it past its window). It answers no container or document call: each one a control makes is
// refused and reported once per name.
#pragma once

#include <string>
#include <vector>

#include "KxwAutomation.h"

class KxwDomSiteForActiveX : public KxwAutomation {
public:
    static KxwAutoRef<KxwDomSiteForActiveX> Create();

    const char* GetInterfaceName() const override { return "IOleClientSite"; }
    // Every name is a member, so that a control's call reaches the report instead of a lookup failure.
    bool FindMember(const char* mpszName, KxwAutoMember& mrtMember) override;
    KxwAutoResult Get(int32_t miId, KxwAutoValue& mrtResult) override;
    KxwAutoResult Put(int32_t miId, const KxwAutoValue& mrtValue) override;
    KxwAutoResult Call(int32_t miId, const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) override;
    std::string GetErrorDescription() const override { return _dsError; }

private:
    KxwDomSiteForActiveX() = default;
    struct Member {
        std::string _dsName;
        bool _bReported = false;
    };
    KxwAutoResult NotImplemented(int32_t miId);

    std::vector<Member> _tMembers;  // by id, bounded: a control cannot grow it without end
    std::string _dsError;
};
