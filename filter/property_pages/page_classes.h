// Creators of the property page classes, for the module's class table. The pages
// cannot be aggregated.
#pragma once
#include <windows.h>

#include <unknwn.h>

namespace tl {

HRESULT CreateAboutPage(IUnknown* outer, REFIID riid, void** ppv);
HRESULT CreateStatisticsPage(IUnknown* outer, REFIID riid, void** ppv);
HRESULT CreatePreferencesPage(IUnknown* outer, REFIID riid, void** ppv);
HRESULT CreateCapturePage(IUnknown* outer, REFIID riid, void** ppv);
HRESULT CreatePluginsPage(IUnknown* outer, REFIID riid, void** ppv);
HRESULT CreateProcAmpPage(IUnknown* outer, REFIID riid, void** ppv);

}  // namespace tl
