#include "filter/com/interface_map.h"

namespace tl::com {

HRESULT QueryFromMap(void* self, const InterfaceEntry* map, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    const InterfaceEntry* hit = nullptr;
    if (IsEqualIID(riid, IID_IUnknown)) {
        hit = map;
    } else {
        for (const InterfaceEntry* e = map; e->iid; ++e) {
            if (IsEqualIID(riid, *e->iid)) {
                hit = e;
                break;
            }
        }
    }
    if (!hit || !hit->iid) return E_NOINTERFACE;
    IUnknown* itf = hit->cast(self);
    itf->AddRef();
    *ppv = itf;
    return S_OK;
}

}  // namespace tl::com
