#include "components/SampleModule.h"

namespace qx::samplefx {

HINSTANCE SampleModule::instance_ = nullptr;
std::atomic<LONG> SampleModule::locks_{0};

}  // namespace qx::samplefx
