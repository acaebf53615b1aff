#include "pipeline/SoxrLibrary.h"

TSoxrBinding& SoxrLibrary() {
  static TSoxrBinding binding("libsoxr.so.0");
  return binding;
}
