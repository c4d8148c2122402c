// Windows module entry. The library needs no per-thread notifications, so
// it switches them off on process attach; everything else that happens at
// load is ordinary static initialisation. Other platforms need no entry.
#if defined(_WIN32)
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(module);
  return TRUE;
}
#endif
