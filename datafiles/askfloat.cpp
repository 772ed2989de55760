// The value prompt of the readers through the platform's value-entry
// service, asked again with the record's error text until the value passes
// or no answer comes.

#include <cstdio>
#include <string>

#include "datafiles/convera_internal.h"

namespace cv {

int askFloat(HWND owner, GETFLOAT* record) {
  std::string caption = cv::text(static_cast<int>(record->title));
  std::string prompt = cv::text(static_cast<int>(record->prompt));
  std::string label = cv::text(static_cast<int>(record->label));
  std::string unit = cv::text(static_cast<int>(record->unit));
  std::string question = prompt + " " + label + " [" + unit + "]";
  char answer[80];
  if (!CVFloatToString(*record->value, answer, record->decimals)) answer[0] = 0;
  for (;;) {
    if (!plat::ui().askValue(owner, caption.c_str(), question.c_str(), answer, sizeof answer)) return 1;
    double v = static_cast<float>(CVParseDouble(answer));
    if (CVInRange(v, record->minimum, record->maximum, static_cast<UINT>(record->checks))) {
      *record->value = static_cast<float>(v);
      return 0;
    }
    question = cv::text(static_cast<int>(record->error)) + " " + label + " [" + unit + "]";
  }
}

}  // namespace cv
