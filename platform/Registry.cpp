#include "platform/Registry.h"

namespace velkor {

const char* RootName(RegistryRoot root) {
  switch (root) {
    case RegistryRoot::LocalMachine: return "HKEY_LOCAL_MACHINE";
    case RegistryRoot::CurrentUser: return "HKEY_CURRENT_USER";
    case RegistryRoot::ClassesRoot: return "HKEY_CLASSES_ROOT";
  }
  return "";
}

}  // namespace velkor
