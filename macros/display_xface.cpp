#include "macros/macros.h"

namespace vizmark {

// Decoding the message's header and showing it in the header panel comes with the face
// overlay; until then the macro expands to nothing.
void DisplayXFaceHandler(std::string&, MacroContext*, MacroContext*) {}

}  // namespace vizmark
