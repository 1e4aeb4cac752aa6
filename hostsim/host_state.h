// What the simulated mail client knows about the message at hand, and the small part of
// its macro language that the plug-in has it evaluate.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hostsim {

struct HostState {
  // The "X-Face" header of the message being read, as %OHEADER("X-Face") yields it.
  std::string read_xface;
  // Its colour "Face" header, as %OHEADER("Face") yields it.
  std::string read_face;
  // The "X-Face" header that %SETHEADER set on the message being composed.
  std::optional<std::string> composed_xface;
  // Every text the plug-in asked the host to evaluate, in order.
  std::vector<std::string> evaluated;

  // Evaluates host macro text and returns what it yields. Understands
  // %OHEADER("X-Face")%-, %OHEADER("Face")%- and %SETHEADER("X-Face", "...")%- (doubled quotes and
  // percent signs inside the value stand for one); anything else yields the empty text.
  std::string Evaluate(std::string_view text);
};

// The value inside a quoted host macro argument with its doubled " and % made single again.
std::string UnescapeQuoted(std::string_view text);

}  // namespace hostsim
