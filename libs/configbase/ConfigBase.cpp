// The resource library: hands out the PNG bytes of a picture by resource id.
// Plain C++ with a C entry point, like the other plug-in libraries.
#include "ResourceLibraryAbi.h"
#include "ResourceTable.h"

extern "C" NOX_RESOURCE_EXPORT int _GetResource(int resourceId, const unsigned char **bytes,
                                                unsigned long *size) {
  if (!bytes || !size)
    return 0;
  for (const Resource &resource : resources) {
    if (resource.id == resourceId) {
      *bytes = resource.bytes;
      *size = resource.size;
      return 1;
    }
  }
  *bytes = nullptr;
  *size = 0;
  return 0;
}
