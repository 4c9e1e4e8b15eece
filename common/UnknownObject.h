#pragma once
// The one IUnknown of every COM object here: the module's objects, the class factories,
// the sample effect components, in-process stand-ins for classes that live outside the
// module and the objects a host program serves itself. An object is born holding its
// creator's one reference. Given an outer object it is aggregated: the IUnknown methods
// of its interfaces go to the outer object, and the outer object holds the inner unknown,
// which keeps the object's own count.
#include <windows.h>
#include <unknwn.h>

#include <atomic>

namespace qx {

class UnknownCore {
public:
    UnknownCore(const UnknownCore&) = delete;
    UnknownCore& operator=(const UnknownCore&) = delete;

    LONG RefCount() const { return refs_; }

protected:
    explicit UnknownCore(IUnknown* outer = nullptr) : outer_(outer), inner_(this) {}
    virtual ~UnknownCore() = default;

    // The interface pointer of this object for riid, IUnknown included, with no
    // reference added; null when the object does not answer riid.
    virtual void* FindInterface(REFIID riid) = 0;

    // Answers riid from an object just made (holding only its creator's reference) once
    // its set-up succeeded, and drops that reference: the object lives on only if the
    // query handed it out. An aggregated object answers through its inner unknown.
    HRESULT AnswerNew(HRESULT setUp, REFIID riid, void** ppv) {
        HRESULT hr = setUp;
        if (SUCCEEDED(hr)) hr = outer_ ? inner_.QueryInterface(riid, ppv) : InternalQueryInterface(riid, ppv);
        InternalRelease();
        return hr;
    }

    // The IUnknown methods of every interface of the object.
    HRESULT OuterQueryInterface(REFIID riid, void** ppv) {
        return outer_ ? outer_->QueryInterface(riid, ppv) : InternalQueryInterface(riid, ppv);
    }
    ULONG OuterAddRef() { return outer_ ? outer_->AddRef() : InternalAddRef(); }
    ULONG OuterRelease() { return outer_ ? outer_->Release() : InternalRelease(); }

private:
    // The non-delegating unknown handed to an aggregating outer object.
    class InnerUnknown : public IUnknown {
    public:
        explicit InnerUnknown(UnknownCore* self) : self_(self) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
            if (!ppv) return E_POINTER;
            if (IsEqualIID(riid, IID_IUnknown)) {
                *ppv = static_cast<IUnknown*>(this);
                AddRef();
                return S_OK;
            }
            return self_->InternalQueryInterface(riid, ppv);
        }
        ULONG STDMETHODCALLTYPE AddRef() override { return self_->InternalAddRef(); }
        ULONG STDMETHODCALLTYPE Release() override { return self_->InternalRelease(); }

    private:
        UnknownCore* self_;
    };

    HRESULT InternalQueryInterface(REFIID riid, void** ppv) {
        if (!ppv) return E_POINTER;
        *ppv = FindInterface(riid);
        if (!*ppv) return E_NOINTERFACE;
        // Through the interface handed out, so that a class counting its references
        // itself sees this one too.
        static_cast<IUnknown*>(*ppv)->AddRef();
        return S_OK;
    }
    ULONG InternalAddRef() { return ULONG(++refs_); }
    ULONG InternalRelease() {
        const LONG n = --refs_;
        if (n == 0) delete this;
        return ULONG(n);
    }

    std::atomic<LONG> refs_{1};
    IUnknown* outer_;
    InnerUnknown inner_;
};

// The IUnknown methods of a class deriving from UnknownCore and its interfaces.
#define QX_IMPLEMENT_IUNKNOWN                                                          \
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {       \
        return OuterQueryInterface(riid, ppv);                                         \
    }                                                                                  \
    ULONG STDMETHODCALLTYPE AddRef() override { return OuterAddRef(); }                \
    ULONG STDMETHODCALLTYPE Release() override { return OuterRelease(); }

// An object deriving from First and Rest: IUnknown is answered through First, every
// listed interface through itself.
template <class First, class... Rest>
class UnknownObject : public First, public Rest..., public UnknownCore {
public:
    QX_IMPLEMENT_IUNKNOWN

protected:
    explicit UnknownObject(IUnknown* outer = nullptr) : UnknownCore(outer) {}

    // A class that answers more (an IID chosen at run time) or less (an interface it can
    // be told to withhold) overrides this.
    void* FindInterface(REFIID riid) override {
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
};

// Answers riid from a plain object just made and drops the creator's reference through
// the object's own Release.
template <class T>
HRESULT QueryNewObject(T* object, REFIID riid, void** ppv) {
    const HRESULT hr = object->QueryInterface(riid, ppv);
    object->Release();
    return hr;
}

}  // namespace qx
