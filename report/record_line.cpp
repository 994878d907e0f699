#include "record_line.hpp"

namespace pellamar {

std::string prepareText(std::string_view text, OutputFormat format) {
  std::string ready;
  if (text.empty()) {
    return ready;
  }
  if (format == OutputFormat::Json) {
    appendJsonString(ready, text);
  } else {
    appendVisible(ready, text);
  }
  return ready;
}

}  // namespace pellamar
