// The header side of automation_types.idl: the platform's own declarations.
#pragma once
#include <windows.h>

#include <ocidl.h>
#include <oleauto.h>
