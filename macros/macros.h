// The plug-in's macros: the table of names and handlers, and their dispatch.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "macros/macro_context.h"

namespace vizmark {

// A handler leaves its expansion in `result` (empty on entry); every outcome, errors
// included, is result text.
using MacroHandler = void (*)(std::string& result, MacroContext* context, MacroContext* params);

// One macro: the name templates call it by and the code that expands it.
struct MacroEntry {
  std::string_view name;
  MacroHandler handler;
};

void DisplayXFaceHandler(std::string& result, MacroContext* context, MacroContext* params);
void SetXFaceHandler(std::string& result, MacroContext* context, MacroContext* params);
void XFaceVersionHandler(std::string& result, MacroContext* context, MacroContext* params);

// The plug-in's three macros. The order is the order of the macro list and of the name
// comparison.
extern const std::array<MacroEntry, 3> kMacroTable;

// The characters doubled inside a quoted argument of host macro text.
inline constexpr std::string_view MacroSpecialChars = "\"%";

// Stored as the expansion when a handler fails in a way it did not turn into text.
inline constexpr std::string_view kMacroFailedMessage = "X-Face Error: internal error!";

// Each name followed by CR LF, in table order.
std::string BuildMacroList(std::span<const MacroEntry> table);

// Runs the macro named `name` (zero-terminated, compared ignoring ASCII case) and stores its
// expansion as item 0 of `context`. Returns 0, or -1 when no entry matches (nothing is
// called then). No exception leaves it.
int32_t ExecMacro(std::span<const MacroEntry> table, const char* name, int32_t nameLength,
                  MacroContext* context, MacroContext* params) noexcept;

// The most ReadItemText reads of one item. Headers and paths are far shorter; the limit
// only keeps a lying host from making us allocate whatever it claims.
inline constexpr int32_t kMaxItemBytes = 16 * 1024 * 1024;

// Item `index` of `object` as text, cut at its first zero byte; empty whenever the host's
// answers say there is nothing to read.
std::string ReadItemText(MacroContext* object, int32_t index);

}  // namespace vizmark
