#pragma once
// A PROPVARIANT that clears itself.
#include <windows.h>
#include <propidl.h>

namespace qx {

class PropVariant {
public:
    PropVariant() { PropVariantInit(&v_); }
    ~PropVariant() { PropVariantClear(&v_); }
    PropVariant(const PropVariant&) = delete;
    PropVariant& operator=(const PropVariant&) = delete;

    PROPVARIANT* operator&() { Clear(); return &v_; }
    const PROPVARIANT& Get() const { return v_; }
    PROPVARIANT& Mutable() { return v_; }
    VARTYPE Type() const { return v_.vt; }
    void Clear() { PropVariantClear(&v_); }

private:
    PROPVARIANT v_;
};

}  // namespace qx
