// COM reference counting shared by every object of the stand-in: Direct3D 9,
// DirectInput 8 and whatever else hands out interfaces. Single-threaded, as
// the engine is.
#pragma once

#include <windows.h>

// IUnknown's interface id, which every object answers to when it answers at all.
constexpr GUID kIidUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

template <typename Interface>
class ComObject : public Interface {
public:
    virtual ~ComObject() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (!Answers(riid))
            return E_NOINTERFACE;
        AddRef();
        *object = static_cast<Interface*>(this);
        return S_OK;
    }

    ULONG STDMETHODCALLTYPE AddRef() override
    {
        if (refCount++ == 0)
            Revived();
        return refCount;
    }

    // A Release past zero changes nothing: an engine that releases once too
    // often gets 0 back, not a double delete.
    ULONG STDMETHODCALLTYPE Release() override
    {
        if (refCount == 0)
            return 0;
        ULONG count = --refCount;
        if (count == 0)
            LastReleased();
        return count;
    }

protected:
    // The interface ids QueryInterface hands this object out for; none by default.
    virtual bool Answers(REFIID) const { return false; }
    // The application's last reference is gone. Objects the device still
    // uses internally (bound resources) outlive it; the rest end here.
    virtual void LastReleased() { delete this; }
    // A reference taken again after the last one was released (only an
    // object that outlived LastReleased can see this).
    virtual void Revived() {}
    ULONG RefCount() const { return refCount; }

private:
    ULONG refCount = 1;
};
