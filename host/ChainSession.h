#pragma once
// A processor set up for one of qxhost's analysis modes: COM started, the effect
// components served (from --components, the registry, or the sample DLL next to the
// program), the processor created and initialised, its effects enabled and settings
// written, and locked to the stream shape.
#include <windows.h>

#include <string>

#include "common/Handles.h"
#include "host/HostOptions.h"
#include "host/InProcessServer.h"
#include "host/ProcessorSession.h"

namespace qx::host {

class ChainSession {
public:
    bool Start(const HostOptions& o, uint32_t rate, uint32_t channels, uint32_t period, std::string& error);
    ProcessorSession& Session() { return session_; }

private:
    // In this order, so the processor goes first, then the components it held, then COM.
    ComApartment apartment_{COINIT_MULTITHREADED};
    InProcessServer components_;
    ProcessorSession session_;
};

}  // namespace qx::host
