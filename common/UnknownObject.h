#pragma once
// IUnknown for COM objects that are never aggregated: class factories, the sample
// effect components, in-process stand-ins for classes that live outside the module and
// the objects a host program serves itself. They are born holding their creator's one
// reference; one that keeps a DLL loaded holds that DLL's module lock as a member.
// The module's own objects, which can be aggregated, use frame/ComObject.h.
#include <windows.h>
#include <unknwn.h>

#include <atomic>

namespace qx {

// Implements IUnknown for an object deriving from First and Rest: IUnknown is answered
// through First, every listed interface through itself.
template <class First, class... Rest>
class UnknownObject : public First, public Rest... {
public:
    UnknownObject(const UnknownObject&) = delete;
    UnknownObject& operator=(const UnknownObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = FindInterface(riid);
        if (!*ppv) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(++refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG n = --refs_;
        if (n == 0) delete this;
        return ULONG(n);
    }

    LONG RefCount() const { return refs_; }

protected:
    UnknownObject() = default;
    virtual ~UnknownObject() = default;

    // The interface pointer answering riid, with no reference added; null when the
    // object does not answer it. A class that answers more (an IID chosen at run time)
    // or less (an interface it can be told to withhold) overrides this.
    virtual void* FindInterface(REFIID riid) {
        if (IsEqualIID(riid, IID_IUnknown)) return static_cast<First*>(this);
        return FindListed<First, Rest...>(riid);
    }

private:
    template <class I, class... More>
    void* FindListed(REFIID riid) {
        if (IsEqualIID(riid, __uuidof(I))) return static_cast<I*>(this);
        if constexpr (sizeof...(More) > 0) {
            return FindListed<More...>(riid);
        } else {
            return nullptr;
        }
    }

    std::atomic<LONG> refs_{1};
};

// Answers riid from an object just made (holding only its creator's reference) and drops
// that reference: the object lives on only if the query handed it out.
template <class T>
HRESULT QueryNewObject(T* object, REFIID riid, void** ppv) {
    const HRESULT hr = object->QueryInterface(riid, ppv);
    object->Release();
    return hr;
}

}  // namespace qx
