// The value prompt of the readers through the platform's value-entry
// service, asked again with the record's error text until the value passes
// or no answer comes.

#include <cfloat>
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

int askSF(HWND owner, float* sf) {
  *sf = 100.0f;
  GETFLOAT record{static_cast<unsigned>(kTextEnterSF), static_cast<unsigned>(kTextSFPrompt),
                  static_cast<unsigned>(kTextSFLabel), static_cast<unsigned>(kTextSFUnit),
                  static_cast<unsigned>(kTextSFError), 0.0f, 0.0f, static_cast<int>(CV_ABOVE_LO),
                  6, sf};
  if (GetFloat(owner, &record) != 0 || !(*sf > 0) || !(*sf <= FLT_MAX)) return kBadSF;
  return kOk;
}

}  // namespace cv
