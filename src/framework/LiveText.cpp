#include "framework/LiveText.h"

namespace {
// Not in the headers of the oldest supported system.
constexpr GUID kAccPropServices = {0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr GUID kLiveSettingProperty = {0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};
constexpr long kPolite = 1;
constexpr DWORD kLiveRegionChanged = 0x8019;  // EVENT_OBJECT_LIVEREGIONCHANGED
constexpr ULONGLONG kAnnounceIntervalMs = 1000;
}  // namespace

LiveText::~LiveText()
{
    Detach();
}

void LiveText::Detach()
{
    if (annotations_ && control_) {
        MSAAPROPID property = kLiveSettingProperty;
        annotations_->ClearHwndProps(control_, OBJID_CLIENT, CHILDID_SELF, &property, 1);
    }
    annotations_.reset();
    control_ = nullptr;
    announced_ = false;
}

void LiveText::Attach(HWND control)
{
    Detach();
    control_ = control;
    if (!control_) return;
    if (FAILED(CreateComInstance(kAccPropServices, IID_IAccPropServices, annotations_.put_void()))) return;
    VARIANT polite{};
    polite.vt = VT_I4;
    polite.lVal = kPolite;
    if (FAILED(annotations_->SetHwndProp(control_, OBJID_CLIENT, CHILDID_SELF, kLiveSettingProperty, polite)))
        annotations_.reset();
}

void LiveText::Changed()
{
    if (!control_) return;
    const ULONGLONG now = ::GetTickCount64();
    if (announced_ && now - lastAnnounced_ < kAnnounceIntervalMs) return;
    announced_ = true;
    lastAnnounced_ = now;
    ::NotifyWinEvent(kLiveRegionChanged, control_, OBJID_CLIENT, CHILDID_SELF);
}
