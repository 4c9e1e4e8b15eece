#pragma once
// The classes of the sample components DLL: class identifier, the IID the global
// processor asks for at creation, the registry name and how to make the effect.
#include <windows.h>

#include "components/dsp/Effect.h"

namespace qx::samplefx {

struct SampleClass {
    GUID clsid;
    IID creationIid;
    const wchar_t* name;
    fx::Effect* (*make)();  // null when out of memory
};

extern const SampleClass kSampleClasses[];
extern const size_t kSampleClassCount;

const SampleClass* FindSampleClass(REFCLSID clsid);

}  // namespace qx::samplefx
