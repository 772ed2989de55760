// The value prompt of the readers in the native build, which has no
// dialogs: the platform's value-entry service.

#include "datafiles/convera_internal.h"

int GetFloat(HWND owner, GETFLOAT* record) {
  if (!plat::isWritable(record, sizeof *record) || !plat::isWritable(record->value, sizeof(float)))
    return 1;
  return cv::askFloat(owner, record);
}
