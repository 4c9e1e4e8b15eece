#pragma once
// The Windows audio processing object types and interfaces that the hosted operations
// use. The Windows SDK declares them in audioenginebaseapo.h; mingw-w64 lacks them, so
// they are declared here once with the SDK's layouts, IIDs and method orders.
#include <windows.h>
#include <unknwn.h>

#if defined(_MSC_VER)
#include <audioenginebaseapo.h>
#else
#include <audioapotypes.h>  // APO_CONNECTION_PROPERTY, APO_BUFFER_FLAGS

struct IAudioMediaType;

typedef enum APO_CONNECTION_BUFFER_TYPE {
    APO_CONNECTION_BUFFER_TYPE_ALLOCATED = 0,
    APO_CONNECTION_BUFFER_TYPE_EXTERNAL = 1,
    APO_CONNECTION_BUFFER_TYPE_DEPENDANT = 2,
} APO_CONNECTION_BUFFER_TYPE;

typedef struct APO_CONNECTION_DESCRIPTOR {
    APO_CONNECTION_BUFFER_TYPE Type;
    UINT_PTR pBuffer;
    UINT32 u32MaxFrameCount;
    IAudioMediaType* pFormat;
    UINT32 u32Signature;
} APO_CONNECTION_DESCRIPTOR;
#endif
