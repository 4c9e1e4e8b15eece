#include "host/WicPng.h"

#include <windows.h>
#include <wincodec.h>

#include <cstdio>
#include <vector>

#include "common/ComPtr.h"
#include "host/InProcessServer.h"

namespace qx::host {

namespace {
bool Failed(HRESULT hr, const char* step, std::string& error) {
    if (SUCCEEDED(hr)) return false;
    char text[96];
    std::snprintf(text, sizeof text, "the imaging component failed to %s (0x%08lX)", step, static_cast<unsigned long>(hr));
    error = text;
    return true;
}
}  // namespace

// The caller has COM started on this thread.
bool WritePngWithWic(const std::string& path, const RgbImage& image, std::string& error) {
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> frame;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  factory.PutVoid());
    if (Failed(hr, "start", error)) return false;
    if (Failed(factory->CreateStream(stream.Put()), "create a stream", error)) return false;
    if (Failed(stream->InitializeFromFilename(Widen(path).c_str(), GENERIC_WRITE), ("open " + path).c_str(), error))
        return false;
    if (Failed(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.Put()), "find a PNG encoder", error) ||
        Failed(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache), "start the encoder", error) ||
        Failed(encoder->CreateNewFrame(frame.Put(), nullptr), "add a frame", error) ||
        Failed(frame->Initialize(nullptr), "start the frame", error) ||
        Failed(frame->SetSize(image.width, image.height), "size the frame", error))
        return false;
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    if (Failed(frame->SetPixelFormat(&format), "set the pixel format", error)) return false;
    if (format != GUID_WICPixelFormat24bppBGR) return error = "the PNG encoder refuses 24-bit pixels", false;
    std::vector<BYTE> bgr(image.pixels.size());
    for (size_t i = 0; i + 2 < bgr.size(); i += 3) {
        bgr[i] = image.pixels[i + 2];
        bgr[i + 1] = image.pixels[i + 1];
        bgr[i + 2] = image.pixels[i];
    }
    return !Failed(frame->WritePixels(image.height, image.width * 3, UINT(bgr.size()), bgr.data()), "write the pixels", error) &&
           !Failed(frame->Commit(), "finish the frame", error) && !Failed(encoder->Commit(), "finish the file", error);
}

}  // namespace qx::host
