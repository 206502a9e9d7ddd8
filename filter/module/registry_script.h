// Registry scripts: the module's registration data, kept as text resources of
// type REGISTRY in this format:
//
//   HKCR
//   {
//       NoRemove CLSID
//       {
//           ForceRemove {guid} = s 'Name'
//           {
//               InprocServer32 = s '%MODULE%'
//               {
//                   val ThreadingModel = s 'Both'
//               }
//           }
//       }
//   }
//
// Roots: HKCR, HKCU, HKLM (or their long names). A key may have a default value
// (= s 'text' or = d number) and a block with named values (val name = ...) and
// subkeys. %NAME% is replaced by a variable, %% by a percent sign; '' inside a
// quoted string is a quote.
//
// Registering creates every key and value; a ForceRemove key is deleted first.
// Unregistering deletes a ForceRemove key with everything below it, never deletes a
// NoRemove key (only the values the script names in it), and deletes any other key
// once the script's own subkeys are gone and nothing else is left below it.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tl {

using ScriptVariables = std::vector<std::pair<std::wstring, std::wstring>>;

// A script that does not parse changes nothing and gives
// HRESULT_FROM_WIN32(ERROR_INVALID_DATA). When registering, the first registry
// failure is returned; unregistering ignores registry failures.
HRESULT ApplyRegistryScript(std::wstring_view script, const ScriptVariables& variables, bool registering);

// The script of resource (REGISTRY, id) of the module, stored as UTF-8.
HRESULT ApplyRegistryScriptResource(HMODULE module, UINT id, const ScriptVariables& variables,
                                    bool registering);

}  // namespace tl
