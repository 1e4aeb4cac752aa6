#include "macros/macros.h"

namespace vizmark {

// Setting the header from a picture or a text file comes with the face codec; until then
// the macro expands to nothing.
void SetXFaceHandler(std::string&, MacroContext*, MacroContext*) {}

}  // namespace vizmark
