#include "tests/support/Processors.h"

#include <gtest/gtest.h>

namespace qx::test {

void ExpectProcessorDispatchDescribesNothing(IQXEffectProcessor* processor, LCID locale) {
    UINT count = 0;
    EXPECT_EQ(S_OK, processor->ProcessorGetTypeInfoCount(&count));
    EXPECT_EQ(1u, count);
    EXPECT_EQ(E_POINTER, processor->ProcessorGetTypeInfoCount(nullptr));
    ITypeInfo* info = reinterpret_cast<ITypeInfo*>(1);
    EXPECT_TRUE(FAILED(processor->ProcessorGetTypeInfo(0, locale, &info)));
    EXPECT_EQ(nullptr, info);
    EXPECT_EQ(DISP_E_BADINDEX, processor->ProcessorGetTypeInfo(1, locale, &info));
    LPOLESTR name = const_cast<LPOLESTR>(L"Process");
    DISPID id = 0;
    EXPECT_TRUE(FAILED(processor->ProcessorGetIDsOfNames(IID_NULL, &name, 1, locale, &id)));
    DISPPARAMS none = {};
    EXPECT_TRUE(FAILED(processor->ProcessorInvoke(1, IID_NULL, locale, DISPATCH_METHOD, &none, nullptr, nullptr,
                                                  nullptr)));
}

}  // namespace qx::test
