// What every fuzz target holds the library to, whatever the input: a
// failure is placed inside the input and worded, and whatever a reader
// accepts, every form written of it reads back as the same identifier.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "objid_buffer.hpp"
#include "pellamar/readers.hpp"
#include "pellamar/writers.hpp"

namespace pellamar::fuzz {

// Stops the run with a finding when `condition` is false.
inline void require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "finding: %s\n", what);
    std::abort();
  }
}

// An error lies inside the input it was found in (at 0 for an empty one),
// or nowhere, and has a message.
inline void requireWellPlaced(const Error& error, std::string_view input) {
  require(error.offset == Error::Nowhere || error.offset < input.size() ||
              (input.empty() && error.offset == 0),
          "error placed outside the input");
  require(!describe(error, input, latin1Place(error, input)).empty(), "empty message");
}

// A calculator failure is one of the three kinds, with a message and a
// position that lies within the text (or just past it), or none.
inline void requireWellFormed(const ConversionError& error, std::string_view input) {
  require(error.kind() == ErrorKind::Overflow || error.kind() == ErrorKind::IndexOutOfRange ||
              error.kind() == ErrorKind::InvalidArgument,
          "error kind");
  require(std::string_view(error.what()).size() > 0, "empty message");
  require(error.position() >= 0 && static_cast<std::size_t>(error.position()) <= input.size() + 1,
          "position outside the text");
}

// Every form of `identifier` reads back as `identifier`.
inline void requireFormsReadBack(const ObjectIdentifier& identifier) {
  const auto readsBack = [&](Form form, auto read) {
    std::string text;
    append(identifier, form, text);
    ObjectIdentifier again;
    require(!read(std::string_view(text), again) && again == identifier, "form does not read back");
  };
  readsBack(Form::Dotted,
            [](std::string_view text, ObjectIdentifier& out) { return readDotted(text, out); });
  readsBack(Form::ValueNotation, [](std::string_view text, ObjectIdentifier& out) {
    return readValueNotation(text, out);
  });
  readsBack(Form::ValueNotation, [](std::string_view text, ObjectIdentifier& out) {
    // "{ 1 2 840 }" less its braces is the blank-separated arcs.
    return readBlankArcs(text.substr(2, text.size() - 4), out);
  });
  struct OctetForm {
    Form form;
    OctetText text;
    bool der;
  };
  for (const OctetForm written : {OctetForm{Form::Hex, OctetText::Hex, false},
                                  OctetForm{Form::Base64, OctetText::Base64, false},
                                  OctetForm{Form::DerHex, OctetText::Hex, true},
                                  OctetForm{Form::DerBase64, OctetText::Base64, true}}) {
    readsBack(written.form, [written](std::string_view text, ObjectIdentifier& out) {
      return readOctetText(text, written.text, written.der, Reading::Strict, out);
    });
  }
  if (hasUuid(identifier)) {
    readsBack(Form::Uuid,
              [](std::string_view text, ObjectIdentifier& out) { return readUuid(text, out); });
  }
}

// Reads `input` with `read`: a failure well placed, a success whose forms
// read back.
template <typename Read>
void readAndCheck(std::string_view input, Read read) {
  ObjectIdentifier identifier;
  if (const auto error = read(input, identifier)) {
    requireWellPlaced(*error, input);
    return;
  }
  requireFormsReadBack(identifier);
}

}  // namespace pellamar::fuzz
