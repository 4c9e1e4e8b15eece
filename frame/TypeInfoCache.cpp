#include "frame/TypeInfoCache.h"

#include "frame/Identifiers.h"
#include "frame/Module.h"

namespace qx {

namespace {
struct CachedTypeInfo {
    IID iid;
    ComPtr<ITypeInfo> info;
};
constexpr int kMaxCached = 8;
CachedTypeInfo g_cache[kMaxCached];
int g_cached = 0;
bool g_cleanupRegistered = false;

void ReleaseCache(void*) {
    for (int i = 0; i < g_cached; ++i) g_cache[i].info.Reset();
    g_cached = 0;
    g_cleanupRegistered = false;
}
}  // namespace

HRESULT TypeInfoCache::Get(REFIID iid, LCID lcid, ComPtr<ITypeInfo>& out) {
    CriticalSectionLock lock(Module::ModuleLock());
    for (int i = 0; i < g_cached; ++i) {
        if (IsEqualIID(g_cache[i].iid, iid)) {
            out = g_cache[i].info;
            return S_OK;
        }
    }
    ComPtr<ITypeLib> library;
    HRESULT hr = LoadRegTypeLib(LIBID_QXAPOMainLib, 1, 0, lcid, library.Put());
    if (FAILED(hr)) return hr;
    ComPtr<ITypeInfo> info;
    hr = library->GetTypeInfoOfGuid(iid, info.Put());
    if (FAILED(hr)) return hr;
    if (g_cached < kMaxCached) {
        if (!g_cleanupRegistered) g_cleanupRegistered = Module::AddCleanup(ReleaseCache, nullptr);
        if (g_cleanupRegistered) g_cache[g_cached++] = {iid, info};
    }
    out = info;
    return S_OK;
}

HRESULT TypeInfoCache::GetTypeInfo(REFIID iid, UINT index, LCID lcid, ITypeInfo** info) {
    if (index != 0) return DISP_E_BADINDEX;
    if (!info) return E_POINTER;
    *info = nullptr;
    ComPtr<ITypeInfo> found;
    const HRESULT hr = Get(iid, lcid, found);
    if (FAILED(hr)) return hr;
    *info = found.Detach();
    return S_OK;
}

}  // namespace qx
