#pragma once
// The handle kinds this program owns. Windows only.
#include <windows.h>
#include <shlobj.h>
#include "common/unique_any.h"

namespace win {
inline void CloseKernelHandle(HANDLE h) { ::CloseHandle(h); }
inline void CloseFind(HANDLE h) { ::FindClose(h); }
inline void DeleteGdiObject(HGDIOBJ h) { ::DeleteObject(h); }
inline void DestroyIconHandle(HICON h) { ::DestroyIcon(h); }
inline void FreeCoTaskMem(void* p) { ::CoTaskMemFree(p); }
inline void DeleteMemoryDc(HDC dc) { ::DeleteDC(dc); }
inline void FreeGlobal(HGLOBAL memory) { ::GlobalFree(memory); }
inline void FreeLocal(void* memory) { ::LocalFree(memory); }
inline void ReleaseCom(IUnknown* object) { object->Release(); }

using unique_handle = unique_any<HANDLE, CloseKernelHandle>;  // null means none
using unique_file = unique_any<HANDLE, CloseKernelHandle, -1>;
using unique_find = unique_any<HANDLE, CloseFind, -1>;
using unique_gdi = unique_any<HGDIOBJ, DeleteGdiObject>;
using unique_icon = unique_any<HICON, DestroyIconHandle>;
using unique_cotaskmem = unique_any<void*, FreeCoTaskMem>;
using unique_dc = unique_any<HDC, DeleteMemoryDc>;  // a DC made by CreateCompatibleDC
using unique_hglobal = unique_any<HGLOBAL, FreeGlobal>;
using unique_localmem = unique_any<void*, FreeLocal>;
template <typename Interface>
using unique_com = unique_any<Interface*, ReleaseCom>;
}  // namespace win
