#include "text_form.hpp"

#include "character_names.hpp"

namespace pellamar {

int Latin1Form::positionOf(std::string_view /*text*/, std::size_t index) const {
  return static_cast<int>(index) + 1;
}

std::string Latin1Form::nameAt(std::string_view text, std::size_t index) const {
  return detail::nameCharacter(static_cast<unsigned char>(text[index]));
}

}  // namespace pellamar
