#include "platform/runtime_library.h"

#include <dlfcn.h>

namespace platform {

bool RuntimeLibrary::Open(const char* soname) {
  handle = dlopen(soname, RTLD_NOW | RTLD_LOCAL);
  return handle != nullptr;
}

void* RuntimeLibrary::Find(const char* name) const {
  return handle ? dlsym(handle, name) : nullptr;
}

bool RuntimeLibrary::KeepIf(bool ok) {
  if (!ok && handle) {
    dlclose(handle);
    handle = nullptr;
  }
  return ok;
}

}  // namespace platform
