#include "winutil/platform/module_entry.h"

#include "winutil/platform/module_posix.h"

// Generated from the module's resource source.
extern const plat::ResourceTable kModuleResources;

namespace {

struct ModuleRegistration {
  HINSTANCE handle;
  ModuleRegistration() : handle(plat::registerModule(&kModuleResources, &kModuleResources)) {}
  ~ModuleRegistration() {
    plat::unregisterModule(handle);
    handle = nullptr;
  }
};

ModuleRegistration& registration() {
  static ModuleRegistration r;
  return r;
}

// Register at load time, not at the first lookup.
const bool kRegisteredAtLoad = (registration(), true);

}  // namespace

HINSTANCE ThisModule() { return registration().handle; }
